#pragma once

#include <QString>

#include <string>
#include <vector>

// Brings a phrase file to the phrase sum by padding one balancing line with characters
// that leave it readable: tatweels inside words (93 each), no-break spaces in place of
// spaces (33 each) and right-to-left marks at its start (127 each, at most two).
class CPhraseSealer {
public:
    struct Result {
        bool ok = false;
        QString error;
        std::u16string line;  // the padded balancing line
        int tatweels = 0;
        int noBreakSpaces = 0;
        int marks = 0;
    };

    // The balancing line loses its earlier padding first, so that sealing twice gives
    // the same file.
    static Result Seal(const std::vector<std::u16string>& lines, size_t balancing);
    static std::u16string WithoutPadding(std::u16string line);
    // The sum as the phrase store takes it: over the code page 1256 forms.
    static int64_t Sum(const std::vector<std::u16string>& lines);
};
