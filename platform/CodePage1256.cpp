#include "platform/CodePage1256.h"

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>

namespace platform {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter()
{
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open("windows-1256", &status));
    if (U_FAILURE(status))
        throw std::runtime_error("ICU has no windows-1256 converter");
    // ICU substitutes 0x1A by default; the code page's default character is '?'.
    ucnv_setSubstChars(conv.get(), &CodePage1256::kDefaultChar, 1, &status);
    return conv;
}

// One converter per thread: a converter holds state and must not be shared.
UConverter* converter()
{
    thread_local Converter conv = openConverter();
    return conv.get();
}

}  // namespace

std::string CodePage1256::FromUtf16(std::u16string_view text)
{
    if (text.empty())
        return {};
    UConverter* conv = converter();
    ucnv_resetFromUnicode(conv);
    // A single-byte code page: one byte per UTF-16 unit at most.
    std::string out(text.size(), '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                reinterpret_cast<const UChar*>(text.data()),
                                static_cast<int32_t>(text.size()), &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
    if (U_FAILURE(status))
        return std::string(text.size(), kDefaultChar);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::u16string CodePage1256::ToUtf16(std::string_view text)
{
    if (text.empty())
        return {};
    UConverter* conv = converter();
    ucnv_resetToUnicode(conv);
    std::u16string out(text.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()),
                              static_cast<int32_t>(out.size()), text.data(),
                              static_cast<int32_t>(text.size()), &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
    if (U_FAILURE(status))
        return std::u16string(text.size(), u'?');
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace platform
