#include "prefs/PreferenceInput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace prefinput {

namespace {

constexpr int kSignificantDigits = 6;

QString RangeMessage(const char* kind, const QString& low, const QString& high) {
    return QString("Please enter %1 between %2 and %3.").arg(kind, low, high);
}

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

Typed<unsigned> ReadInterval(const QString& text) {
    const std::optional<unsigned> minutes = ReadUnsigned(text);
    if (!minutes)
        return {std::nullopt, "Please enter an unsigned integer."};
    if (*minutes < kMinInterval || *minutes > kMaxInterval)
        return {std::nullopt, RangeMessage("an integer", QString::number(kMinInterval),
                                           QString::number(kMaxInterval))};
    return {minutes, {}};
}

Typed<float> ReadFontSize(const QString& text) {
    const std::optional<float> points = ReadDecimal(text);
    if (!points)
        return {std::nullopt, "Please enter a number."};
    // Compared in double: a float cannot hold the upper end exactly.
    const double size = *points;
    if (size < kMinFontSize || size > kMaxFontSize)
        return {std::nullopt, RangeMessage("a number", QString::number(kMinFontSize),
                                           QString::number(kMaxFontSize))};
    return {points, {}};
}

}  // namespace prefinput
