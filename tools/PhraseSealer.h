#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Brings a phrase file to the phrase sum by ending one balancing line with characters
// that draw nothing and change neither shaping nor line breaking: zero-width non-joiners
// (30 each), left-to-right marks (126 each) and right-to-left marks (127 each), all
// right before the line's last word. The text itself is never touched.
class CPhraseSealer {
public:
    struct Result {
        bool ok = false;
        QString error;
        std::u16string line;  // the balancing line with its filler
        int nonJoiners = 0;
        int leftToRightMarks = 0;
        int rightToLeftMarks = 0;
    };

    // The balancing line loses its earlier filler first, so that sealing twice gives
    // the same file.
    static Result Seal(const std::vector<std::u16string>& lines, size_t balancing);
    // The line without the filler before its last word.
    static std::u16string WithoutFiller(const std::u16string& line);
    // The sum as the phrase store takes it: over the code page 1256 forms.
    static int64_t Sum(const std::vector<std::u16string>& lines);
};
