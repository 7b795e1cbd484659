#pragma once

#include <QString>

#include <string>
#include <vector>

// The result of reading a UTF-16 line file: its lines in code page 1256, or why not.
struct Utf16Lines {
    enum class Status { Read, NotOpened, NothingRead };

    Status status = Status::NotOpened;
    std::vector<std::string> lines;
};

// Limits of the line format: a line with its CR is at most this many 16-bit units, and
// its code-page form with a terminating zero fits in as many bytes.
inline constexpr qsizetype kMaxLineUnits = 2048;
// Files above this size are not read at all (reported as not opened), which bounds the
// memory a stray file can take. Neither is anything but a regular file or a link to one.
inline constexpr qint64 kMaxLineFileBytes = 32 * 1024 * 1024;

// Reads a UTF-16 little-endian file of CR LF lines: unit 0 is skipped whatever it holds,
// each line is cut after its CR, the unit after the CR is skipped, and a final line
// without CR loses its last unit. An odd trailing byte is ignored, a longer line than the
// format allows is cut to the limit, and U+0000 becomes the default character.
Utf16Lines ReadUtf16Lines(const QString& path);
