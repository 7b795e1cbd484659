#include "content/ReadUtf16Lines.h"

#include "script/CodePage1256.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace {

constexpr char16_t kCarriageReturn = 13;
constexpr qsizetype kMaxLineText = kMaxLineUnits - 1;  // without the CR

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// The part of a line the format can hold, never ending inside a surrogate pair.
std::u16string_view withinLimit(std::u16string_view line) {
    if (line.size() <= static_cast<size_t>(kMaxLineText))
        return line;
    size_t length = kMaxLineText;
    if (isHighSurrogate(line[length - 1]))
        --length;
    return line.substr(0, length);
}

// Converted through one narrow buffer of the format's size, so that a line costs one
// allocation, for its own string.
std::string convertLine(std::u16string_view line, std::string& narrow) {
    line = withinLimit(line);
    char* out = narrow.data();
    const size_t length = script::CodePage1256::FromUtf16(line, out);
    // A zero unit would end the line early wherever the text goes as a C string. Only
    // U+0000 gives byte 0 in this code page, so the bytes can be mended after the fact.
    std::replace(out, out + length, '\0', script::CodePage1256::kDefaultChar);
    return std::string(out, length);
}

// Right after the CR that ends the line from start, or the end of the units.
size_t afterCarriageReturn(std::u16string_view units, size_t start) {
    const auto cr =
        std::find(units.begin() + static_cast<std::ptrdiff_t>(start), units.end(), kCarriageReturn);
    return cr == units.end() ? units.size() : static_cast<size_t>(cr - units.begin()) + 1;
}

std::vector<std::string> splitLines(std::u16string_view units) {
    std::vector<std::string> lines;
    std::string narrow(kMaxLineUnits, '\0');
    const size_t n = units.size();
    size_t p = 1;  // unit 0 is the byte-order mark, whatever it holds
    while (p < n) {
        const size_t start = p;
        p = afterCarriageReturn(units, start);
        // The last unit of the line goes: the CR, or the final line's last character.
        lines.push_back(convertLine(units.substr(start, p - start - 1), narrow));
        ++p;  // the LF after the CR, whatever it is
    }
    return lines;
}

// Up to kMaxLineFileBytes bytes of the file, read straight into the buffer of units, which
// saves a copy of the whole file. The file's own size is only the first guess: a file can
// grow while it is read. Whole 16-bit units only; an odd trailing byte is no text.
// Nothing when not one byte could be read.
std::optional<std::u16string> readUnits(QFile& file) {
    std::u16string units;
    qint64 bytesRead = 0;
    // One byte beyond the size, so that a file read whole ends the loop at once.
    qint64 room = std::min(file.size() + 1, kMaxLineFileBytes);
    while (true) {
        units.resize(static_cast<size_t>((room + 1) / 2));
        const qint64 got =
            file.read(reinterpret_cast<char*>(units.data()) + bytesRead, room - bytesRead);
        bytesRead += std::max<qint64>(got, 0);
        if (got <= 0 || bytesRead < room || room == kMaxLineFileBytes)
            break;
        room = std::min(room * 2, kMaxLineFileBytes);
    }
    if (bytesRead == 0)
        return std::nullopt;
    units.resize(static_cast<size_t>(bytesRead / 2));
    qFromLittleEndian<char16_t>(units.data(), static_cast<qsizetype>(units.size()), units.data());
    return units;
}

}  // namespace

Utf16Lines ReadUtf16Lines(const QString& path) {
    Utf16Lines result;
    QFile file;
    if (!platform::OpenRegularFile(file, path) || file.size() > kMaxLineFileBytes)
        return result;
    const std::optional<std::u16string> units = readUnits(file);
    if (!units) {
        result.status = Utf16Lines::Status::NothingRead;
        return result;
    }
    result.status = Utf16Lines::Status::Read;
    result.lines = splitLines(*units);
    return result;
}
