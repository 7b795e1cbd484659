#include "script/CodePage1256.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace script {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's own substitution skips the default-ignorable characters the code page lacks
// (U+200B, U+FEFF, U+2060 and their like), so they would vanish from a phrase and from its
// sum; the code page gives them its default character like every other unmapped one.
void substituteEveryUnmapped(const void* /*context*/, UConverterFromUnicodeArgs* args,
                             const UChar* /*units*/, int32_t /*length*/, UChar32 /*codePoint*/,
                             UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR)
        return;  // reset, close and clone need nothing
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, status);
}

Converter openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open("windows-1256", &status));
    if (U_FAILURE(status))
        throw std::runtime_error("ICU has no windows-1256 converter");
    // ICU substitutes 0x1A by default; the code page's default character is '?'.
    ucnv_setSubstChars(conv.get(), &CodePage1256::kDefaultChar, 1, &status);
    ucnv_setFromUCallBack(conv.get(), substituteEveryUnmapped, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status))
        throw std::runtime_error("ICU cannot set up the windows-1256 converter");
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
// look-up a unit rather than one ICU call: one byte a unit.
// The table is filled a page of 256 units at a time, when a text first needs that page:
// Arabic text touches three or four pages, so a start-up pays for those alone.
class UnitTable {
public:
    struct Entry {
        char byte = 0;
        bool filled = false;
    };
    static constexpr std::size_t kPages = 0x100;

    // The entries of every page that EnsurePage has seen.
    const Entry* Entries() const { return entries.data(); }
    void EnsurePage(std::size_t page) {
        if (!filled[page].load(std::memory_order_acquire))
            fillPage(page);
    }

private:
    void fillPage(std::size_t page);

    std::array<Entry, 0x10000> entries{};
    std::array<std::atomic<bool>, kPages> filled{};
    std::mutex filling;
};

// The pages one conversion has made sure of, so that the hot loop asks the shared table
// only once a page.
class ReadyPages {
public:
    explicit ReadyPages(UnitTable& table) : table(table) {}
    void Ensure(char16_t unit) {
        const std::size_t page = unit >> 8;
        const std::uint64_t bit = std::uint64_t{1} << (page & 63);
        if ((ready[page >> 6] & bit) == 0) {
            table.EnsurePage(page);
            ready[page >> 6] |= bit;
        }
    }

private:
    UnitTable& table;
    std::array<std::uint64_t, UnitTable::kPages / 64> ready{};
};

// One ICU call over the page's units; its offsets tell which unit each byte came from.
void UnitTable::fillPage(std::size_t page) {
    const std::lock_guard lock(filling);
    if (filled[page].load(std::memory_order_relaxed))
        return;
    std::u16string units;
    for (std::size_t low = 0; low < 0x100; ++low)
        units.push_back(static_cast<char16_t>(page << 8 | low));
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
    for (std::size_t i = 0; i < static_cast<std::size_t>(target - bytes.data()); ++i) {
        Entry& entry = entries[units[static_cast<std::size_t>(offsets[i])]];
        if (entry.filled)
            throw std::runtime_error("ICU gives windows-1256 two bytes for one character");
        entry = {bytes[i], true};
    }
    if (target - bytes.data() != static_cast<std::ptrdiff_t>(units.size()))
        throw std::runtime_error("ICU gives windows-1256 no byte for a character");
    filled[page].store(true, std::memory_order_release);
}

UnitTable& unitTable() {
    static UnitTable table;
    return table;
}

// How far a conversion has come: units read, bytes written.
struct Progress {
    std::size_t read = 0;
    std::size_t written = 0;
};

// Through the table, from where at stands up to the next surrogate or the end of text.
Progress convertTableRun(std::u16string_view text, Progress at, char* out) {
    UnitTable& table = unitTable();
    const UnitTable::Entry* entries = table.Entries();
    ReadyPages pages(table);
    // Held apart from text: every byte written through out could alias it.
    const char16_t* units = text.data();
    const std::size_t n = text.size();
    std::size_t i = at.read;
    std::size_t length = at.written;
    while (i < n && !isSurrogate(units[i])) {
        const char16_t unit = units[i++];
        pages.Ensure(unit);
        out[length++] = entries[unit].byte;
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

}  // namespace script
