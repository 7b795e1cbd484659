#include "content/ReadUtf16Lines.h"

#include "platform/CodePage1256.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

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

std::string convertLine(std::u16string_view line, std::u16string& wide) {
    line = withinLimit(line);
    if (line.find(u'\0') == std::u16string_view::npos)
        return platform::CodePage1256::FromUtf16(line);
    // A zero unit would end the line early wherever the text goes as a C string.
    wide.assign(line);
    std::replace(wide.begin(), wide.end(), u'\0', char16_t(platform::CodePage1256::kDefaultChar));
    return platform::CodePage1256::FromUtf16(wide);
}

std::vector<std::string> splitLines(std::u16string_view units) {
    std::vector<std::string> lines;
    std::u16string wide;
    wide.reserve(kMaxLineUnits);
    const size_t n = units.size();
    size_t p = 1;  // unit 0 is the byte-order mark, whatever it holds
    while (p < n) {
        const size_t start = p;
        const size_t cr = units.find(kCarriageReturn, start);
        p = cr == std::u16string_view::npos ? n : cr + 1;
        // The last unit of the line goes: the CR, or the final line's last character.
        lines.push_back(convertLine(units.substr(start, p - start - 1), wide));
        ++p;  // the LF after the CR, whatever it is
    }
    return lines;
}

}  // namespace

Utf16Lines ReadUtf16Lines(const QString& path) {
    Utf16Lines result;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly) ||
        file.size() > kMaxLineFileBytes)
        return result;
    const QByteArray bytes = file.read(kMaxLineFileBytes);
    if (bytes.isEmpty()) {
        result.status = Utf16Lines::Status::NothingRead;
        return result;
    }
    // Whole 16-bit units only; an odd trailing byte is no text.
    std::u16string units(static_cast<size_t>(bytes.size() / 2), u'\0');
    qFromLittleEndian<char16_t>(bytes.constData(), static_cast<qsizetype>(units.size()),
                                units.data());
    result.status = Utf16Lines::Status::Read;
    result.lines = splitLines(units);
    return result;
}
