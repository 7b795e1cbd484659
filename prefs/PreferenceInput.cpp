#include "prefs/PreferenceInput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace prefinput {

namespace {

constexpr int kSignificantDigits = 6;

// The whole text must be the number, so "10x" or "1 0" is no number.
template <typename Number>
std::optional<Number> ReadNumber(const QString& text) {
    const std::string latin = text.trimmed().toStdString();
    Number value{};
    const char* end = latin.data() + latin.size();
    const auto [stop, error] = std::from_chars(latin.data(), end, value);
    if (latin.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<unsigned> ReadUnsigned(const QString& text) {
    // from_chars takes no sign for unsigned types, so "-1" and "+1" are refused here.
    return ReadNumber<unsigned>(text);
}

std::optional<float> ReadDecimal(const QString& text) {
    std::optional<float> value = ReadNumber<float>(text);
    if (value && !std::isfinite(*value))
        return std::nullopt;
    return value;
}

QString FormatDecimal(float value) {
    return QString::number(value, 'g', kSignificantDigits);
}

int TenthsFromPoints(float points) {
    const double tenths = std::round(static_cast<double>(points) * 10.0);
    if (std::isnan(tenths))
        return 0;
    return static_cast<int>(std::clamp(tenths, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

float PointsFromTenths(int storedTenths) {
    return static_cast<float>(static_cast<unsigned>(storedTenths) * 0.1);
}

}  // namespace prefinput
