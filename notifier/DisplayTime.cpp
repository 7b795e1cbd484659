#include "notifier/DisplayTime.h"

#include <algorithm>
#include <cstdint>

namespace notifier {

namespace {

constexpr std::uint64_t kPerCharacter = 150;
constexpr std::uint64_t kShortest = 3000;
constexpr std::uint64_t kLongest = 20000;
constexpr unsigned kExtra = 1500;

std::uint64_t CountedCharacters(const std::string& text) {
    const auto spaces = std::count(text.begin(), text.end(), ' ');
    const bool trailingSpace = !text.empty() && text.back() == ' ';
    return text.size() - static_cast<std::uint64_t>(spaces) + (trailingSpace ? 1 : 0);
}

}  // namespace

unsigned DisplayTimeFor(const std::string& text) {
    // 64 bits, so no phrase is long enough to wrap the product round to a short stay.
    const std::uint64_t t =
        std::clamp(kPerCharacter * CountedCharacters(text), kShortest, kLongest);
    return static_cast<unsigned>(t) + kExtra;
}

}  // namespace notifier
