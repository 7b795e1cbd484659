#include "platform/CodePage1256.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace platform {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open("windows-1256", &status));
    if (U_FAILURE(status))
        throw std::runtime_error("ICU has no windows-1256 converter");
    // ICU substitutes 0x1A by default; the code page's default character is '?'.
    ucnv_setSubstChars(conv.get(), &CodePage1256::kDefaultChar, 1, &status);
    return conv;
}

// One converter per thread: a converter holds state and must not be shared.
UConverter* converter() {
    thread_local Converter conv = openConverter();
    return conv.get();
}

bool isSurrogate(char16_t unit) {
    return (unit & 0xF800) == 0xD800;
}

// ICU's conversion of text into out, which has room for text.size() bytes: a single-byte
// code page gives at most one byte a unit. Returns the number of bytes written.
std::size_t icuFromUtf16(std::u16string_view text, char* out) {
    UConverter* conv = converter();
    ucnv_resetFromUnicode(conv);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(conv, out, static_cast<int32_t>(text.size()),
                                      reinterpret_cast<const UChar*>(text.data()),
                                      static_cast<int32_t>(text.size()), &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
    if (!U_FAILURE(status))
        return static_cast<std::size_t>(n);
    std::fill_n(out, text.size(), CodePage1256::kDefaultChar);
    return text.size();
}

// ICU's result for each UTF-16 unit outside the surrogates, so that a text costs one
// look-up a unit rather than one ICU call. A unit may give no byte at all: ICU drops the
// default-ignorable characters the code page lacks (U+FEFF, U+2060 and their like).
struct UnitTable {
    struct Entry {
        char byte = 0;
        std::uint8_t count = 0;
    };
    std::array<Entry, 0x10000> entries{};
};

// One ICU call over all of those units; its offsets tell which unit each byte came from.
UnitTable fillUnitTable() {
    std::u16string units;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit)
        if (!isSurrogate(static_cast<char16_t>(unit)))
            units.push_back(static_cast<char16_t>(unit));
    std::string bytes(units.size(), '\0');
    std::vector<int32_t> offsets(units.size(), -1);
    UConverter* conv = converter();
    ucnv_resetFromUnicode(conv);
    char* target = bytes.data();
    const UChar* source = reinterpret_cast<const UChar*>(units.data());
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(conv, &target, bytes.data() + bytes.size(), &source, source + units.size(),
                     offsets.data(), true, &status);
    if (U_FAILURE(status))
        throw std::runtime_error("ICU cannot convert to windows-1256");
    UnitTable table;
    for (std::size_t i = 0; i < static_cast<std::size_t>(target - bytes.data()); ++i) {
        UnitTable::Entry& entry = table.entries[units[static_cast<std::size_t>(offsets[i])]];
        if (entry.count != 0)
            throw std::runtime_error("ICU gives windows-1256 two bytes for one character");
        entry = {bytes[i], 1};
    }
    return table;
}

const UnitTable& unitTable() {
    static const UnitTable table = fillUnitTable();
    return table;
}

// How far a conversion has come: units read, bytes written.
struct Progress {
    std::size_t read = 0;
    std::size_t written = 0;
};

// Through the table, from where at stands up to the next surrogate or the end of text.
Progress convertTableRun(std::u16string_view text, Progress at, char* out) {
    const UnitTable::Entry* entries = unitTable().entries.data();
    // Held apart from text: every byte written through out could alias it.
    const char16_t* units = text.data();
    const std::size_t n = text.size();
    std::size_t i = at.read;
    std::size_t length = at.written;
    while (i < n && !isSurrogate(units[i])) {
        const UnitTable::Entry entry = entries[units[i++]];
        out[length] = entry.byte;
        length += entry.count;
    }
    return {i, length};
}

// The run of surrogates at where at stands goes to ICU whole: how halves pair up, and what
// a pair or a lone half gives, stays ICU's to say.
Progress convertSurrogateRun(std::u16string_view text, Progress at, char* out) {
    std::size_t end = at.read;
    while (end < text.size() && isSurrogate(text[end]))
        ++end;
    const std::u16string_view run = text.substr(at.read, end - at.read);
    return {end, at.written + icuFromUtf16(run, out + at.written)};
}

}  // namespace

std::string CodePage1256::FromUtf16(std::u16string_view text) {
    std::string out(text.size(), '\0');
    out.resize(FromUtf16(text, out.data()));
    return out;
}

std::size_t CodePage1256::FromUtf16(std::u16string_view text, char* out) {
    Progress at;
    while (true) {
        at = convertTableRun(text, at, out);
        if (at.read == text.size())
            return at.written;
        at = convertSurrogateRun(text, at, out);
    }
}

std::u16string CodePage1256::ToUtf16(std::string_view text) {
    if (text.empty())
        return {};
    UConverter* conv = converter();
    ucnv_resetToUnicode(conv);
    std::u16string out(text.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t n =
        ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      text.data(), static_cast<int32_t>(text.size()), &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
    if (U_FAILURE(status))
        return std::u16string(text.size(), u'?');
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace platform
