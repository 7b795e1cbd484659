#include "tools/PhraseSealer.h"

#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"
#include "platform/CodePage1256.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace {

constexpr char16_t kTatweel = u'\u0640';
constexpr char16_t kNoBreakSpace = u'\u00A0';
constexpr char16_t kRightToLeftMark = u'\u200F';
constexpr int kTatweelWorth = 0xDC - 127;
constexpr int kNoBreakSpaceWorth = 0xA0 - 127;  // in place of a space, which adds nothing
constexpr int kMarkWorth = 0xFE - 127;
constexpr int kMostMarks = 2;

bool isMark(char16_t c) {
    return u_getIntPropertyValue(c, UCHAR_JOINING_TYPE) == U_JT_TRANSPARENT;
}

bool joinsBothWays(char16_t c) {
    return u_getIntPropertyValue(c, UCHAR_JOINING_TYPE) == U_JT_DUAL_JOINING;
}

bool joinsFromTheRight(char16_t c) {
    const int type = u_getIntPropertyValue(c, UCHAR_JOINING_TYPE);
    return type == U_JT_DUAL_JOINING || type == U_JT_RIGHT_JOINING;
}

bool isAlef(char16_t c) {
    return c == u'\u0622' || c == u'\u0623' || c == u'\u0625' || c == u'\u0627';
}

// Places inside a word where a tatweel only lengthens the join: after a letter that
// joins to its left (and its marks), before a letter that joins from the right. Never
// between lam and alef, whose ligature it would break.
std::vector<size_t> tatweelPlaces(const std::u16string& line) {
    std::vector<size_t> places;
    for (size_t i = 0; i < line.size(); ++i) {
        if (!joinsBothWays(line[i]))
            continue;
        size_t next = i + 1;
        while (next < line.size() && isMark(line[next]))
            ++next;
        if (next < line.size() && joinsFromTheRight(line[next]) &&
            !(line[i] == u'\u0644' && isAlef(line[next])))
            places.push_back(next);
    }
    return places;
}

std::u16string padded(std::u16string line, const CPhraseSealer::Result& counts) {
    int spaces = counts.noBreakSpaces;
    for (char16_t& c : line)
        if (c == u' ' && spaces-- > 0)
            c = kNoBreakSpace;
    // Spread the tatweels evenly over the line's joins; inserted from the end so that
    // the places before stay where they were.
    std::vector<size_t> places = tatweelPlaces(line);
    std::vector<int> perPlace(places.size(), 0);
    const size_t count = static_cast<size_t>(counts.tatweels);
    for (size_t t = 0; t < count; ++t)
        ++perPlace[((2 * t + 1) * places.size() / (2 * count)) % places.size()];
    for (size_t p = places.size(); p-- > 0;)
        line.insert(places[p], static_cast<size_t>(perPlace[p]), kTatweel);
    return std::u16string(static_cast<size_t>(counts.marks), kRightToLeftMark) + line;
}

}  // namespace

std::u16string CPhraseSealer::WithoutPadding(std::u16string line) {
    std::erase_if(line, [](char16_t c) { return c == kTatweel || c == kRightToLeftMark; });
    std::replace(line.begin(), line.end(), kNoBreakSpace, u' ');
    return line;
}

int64_t CPhraseSealer::Sum(const std::vector<std::u16string>& lines) {
    std::vector<std::string> bytes;
    for (const std::u16string& line : lines)
        bytes.push_back(platform::CodePage1256::FromUtf16(line));
    return CPhraseStore::PhraseSum(bytes);
}

CPhraseSealer::Result CPhraseSealer::Seal(const std::vector<std::u16string>& lines,
                                          size_t balancing) {
    Result result;
    if (balancing >= lines.size()) {
        result.error = "There is no balancing line " + QString::number(balancing) + ".";
        return result;
    }
    std::vector<std::u16string> base = lines;
    base[balancing] = WithoutPadding(base[balancing]);
    const int64_t gap = CPhraseStore::kPhraseSum - Sum(base);
    if (gap < 0) {
        result.error = "The file is " + QString::number(-gap) +
                       " over the sum without padding: drop a phrase or shorten one.";
        return result;
    }
    const int spaces =
        static_cast<int>(std::count(base[balancing].begin(), base[balancing].end(), u' '));
    const bool canStretch = !tatweelPlaces(base[balancing]).empty();
    // Fewest marks first, then the fewest added characters.
    int best = -1;
    for (int marks = 0; marks <= kMostMarks && best < 0; ++marks) {
        for (int nbsp = 0; nbsp <= spaces; ++nbsp) {
            const int64_t rest =
                gap - int64_t{marks} * kMarkWorth - int64_t{nbsp} * kNoBreakSpaceWorth;
            if (rest < 0 || rest % kTatweelWorth != 0 || (rest > 0 && !canStretch))
                continue;
            const int tatweels = static_cast<int>(rest / kTatweelWorth);
            if (best < 0 || tatweels + nbsp < best) {
                best = tatweels + nbsp;
                result.marks = marks;
                result.noBreakSpaces = nbsp;
                result.tatweels = tatweels;
            }
        }
    }
    if (best < 0) {
        result.error = "No padding of line " + QString::number(balancing) + " closes the gap of " +
                       QString::number(gap) + ": add a phrase or pick a line with more spaces.";
        return result;
    }
    result.line = padded(base[balancing], result);
    if (result.line.size() >= static_cast<size_t>(kMaxLineUnits)) {
        result.error = "The padded line would be longer than the format allows.";
        return result;
    }
    result.ok = true;
    return result;
}
