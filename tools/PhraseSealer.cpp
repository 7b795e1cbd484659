#include "tools/PhraseSealer.h"

#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"
#include "script/CodePage1256.h"

#include <unicode/ubidi.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char16_t kNonJoiner = u'\u200C';
constexpr char16_t kLeftToRightMark = u'\u200E';
constexpr char16_t kRightToLeftMark = u'\u200F';
// Fewer of each than this: 127 non-joiners are worth as much as 30 right-to-left marks,
// 127 left-to-right marks as much as 126 of them.
constexpr int kMostOfOneKind = 127;

bool isFiller(char16_t c) {
    return c == kNonJoiner || c == kLeftToRightMark || c == kRightToLeftMark;
}

// What one character adds to the phrase sum.
int worth(char16_t c) {
    const std::string byte = script::CodePage1256::FromUtf16(std::u16string(1, c));
    return static_cast<unsigned char>(byte.at(0)) - 127;
}

// Where the filler goes: right before the line's last word. There it stands after a
// space, where a line may break anyway, and no word ends with it: a word's last glyph
// keeps its overhang at a line's end, which the system path counts in the line's width.
size_t lastWordStart(const std::u16string& line) {
    const size_t last = line.find_last_not_of(u' ');
    if (last == std::u16string::npos)
        return std::u16string::npos;
    const size_t space = line.find_last_of(u' ', last);
    return space == std::u16string::npos ? 0 : space + 1;
}

struct BidiCloser {
    void operator()(UBiDi* b) const { ubidi_close(b); }
};

// The paragraph's level, then the embedding level of each character, for a paragraph read
// at the given level (UBIDI_DEFAULT_LTR: as its first strong character says).
std::vector<UBiDiLevel> levelsOf(const std::u16string& line, UBiDiLevel paragraph) {
    const std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_open());
    UErrorCode status = U_ZERO_ERROR;
    ubidi_setPara(bidi.get(), reinterpret_cast<const UChar*>(line.data()),
                  static_cast<int32_t>(line.size()), paragraph, nullptr, &status);
    const UBiDiLevel* levels = ubidi_getLevels(bidi.get(), &status);
    if (U_FAILURE(status) || levels == nullptr)
        return {};
    std::vector<UBiDiLevel> result{ubidi_getParaLevel(bidi.get())};
    result.insert(result.end(), levels, levels + line.size());
    return result;
}

// The filler leaves the order of the text as it was: the paragraph and every character of
// the text keep their levels, read right to left as the layout reads it, and read as the
// first strong character says, as the system path measures it. A right-to-left mark first keeps
// both; a left-to-right mark on its own can make a one-word line read left to right.
bool keepsTheOrder(const std::u16string& text, const std::u16string& sealed, size_t at,
                   size_t added) {
    for (const UBiDiLevel paragraph : {UBiDiLevel{1}, UBiDiLevel{UBIDI_DEFAULT_LTR}}) {
        const std::vector<UBiDiLevel> before = levelsOf(text, paragraph);
        const std::vector<UBiDiLevel> after = levelsOf(sealed, paragraph);
        if (before.size() != text.size() + 1 || after.size() != sealed.size() + 1 ||
            before[0] != after[0])
            return false;
        for (size_t i = 0; i < text.size(); ++i) {
            if (before[1 + i] != after[1 + (i < at ? i : i + added)])
                return false;
        }
    }
    return true;
}

struct Filler {
    int nonJoiners = 0;
    int leftToRightMarks = 0;
    int rightToLeftMarks = 0;
    int Count() const { return nonJoiners + leftToRightMarks + rightToLeftMarks; }
    // Right-to-left marks first: the word they stand before reads right to left anyway.
    std::u16string Text() const {
        return std::u16string(static_cast<size_t>(rightToLeftMarks), kRightToLeftMark) +
               std::u16string(static_cast<size_t>(leftToRightMarks), kLeftToRightMark) +
               std::u16string(static_cast<size_t>(nonJoiners), kNonJoiner);
    }
};

// The fewest filler characters worth gap, fewest left-to-right marks among them; none
// (Count() < 0) when no mix closes the gap.
Filler fewestWorth(int64_t gap, bool leftToRightMarks) {
    const int nonJoiner = worth(kNonJoiner);
    const int leftToRight = worth(kLeftToRightMark);
    const int rightToLeft = worth(kRightToLeftMark);
    Filler best{-1, 0, 0};
    const int mostMarks = leftToRightMarks ? kMostOfOneKind - 1 : 0;
    for (int z = 0; z < kMostOfOneKind; ++z) {
        for (int l = 0; l <= mostMarks; ++l) {
            const int64_t rest = gap - int64_t{z} * nonJoiner - int64_t{l} * leftToRight;
            if (rest < 0 || rest % rightToLeft != 0)
                continue;
            const Filler f{z, l, static_cast<int>(rest / rightToLeft)};
            if (best.Count() < 0 || f.Count() < best.Count() ||
                (f.Count() == best.Count() && f.leftToRightMarks < best.leftToRightMarks))
                best = f;
        }
    }
    return best;
}

}  // namespace

std::u16string CPhraseSealer::WithoutFiller(const std::u16string& line) {
    const size_t start = lastWordStart(line);
    if (start == std::u16string::npos)
        return line;
    size_t end = start;
    while (end < line.size() && isFiller(line[end]))
        ++end;
    return line.substr(0, start) + line.substr(end);
}

int64_t CPhraseSealer::Sum(const std::vector<std::u16string>& lines) {
    std::vector<std::string> bytes;
    for (const std::u16string& line : lines)
        bytes.push_back(script::CodePage1256::FromUtf16(line));
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
    const std::u16string text = WithoutFiller(base[balancing]);
    base[balancing] = text;
    const size_t at = lastWordStart(text);
    if (at == std::u16string::npos) {
        result.error = "Line " + QString::number(balancing) + " has no word to put filler before.";
        return result;
    }
    const int64_t gap = CPhraseStore::kPhraseSum - Sum(base);
    if (gap < 0) {
        result.error = "The file is " + QString::number(-gap) +
                       " over the sum without filler: drop a phrase or shorten one.";
        return result;
    }
    for (const bool leftToRightMarks : {true, false}) {
        const Filler filler = fewestWorth(gap, leftToRightMarks);
        if (filler.Count() < 0)
            continue;
        const std::u16string added = filler.Text();
        std::u16string sealed = text;
        sealed.insert(at, added);
        if (!keepsTheOrder(text, sealed, at, added.size()))
            continue;
        if (sealed.size() >= static_cast<size_t>(kMaxLineUnits)) {
            result.error = "The sealed line would be longer than the format allows.";
            return result;
        }
        result.ok = true;
        result.line = sealed;
        result.nonJoiners = filler.nonJoiners;
        result.leftToRightMarks = filler.leftToRightMarks;
        result.rightToLeftMarks = filler.rightToLeftMarks;
        return result;
    }
    result.error = "No invisible filler closes the gap of " + QString::number(gap) + " on line " +
                   QString::number(balancing) + ": add a phrase or lengthen one.";
    return result;
}
