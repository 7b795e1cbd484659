#pragma once

#include <QString>

#include <limits>
#include <optional>

// Reading, showing and converting the values typed into the Preferences dialog.
namespace prefinput {

inline constexpr unsigned kMinInterval = 1;
inline constexpr unsigned kMaxInterval = 60;
// The font size travels as whole tenths in a signed 32-bit setting; larger or negative
// sizes would come back as different numbers at the next start.
inline constexpr int kMinFontSize = 0;
inline constexpr int kMaxFontSize = std::numeric_limits<int>::max() / 10;

// A typed value, or the framework-style message that refuses it.
template <typename Number>
struct Typed {
    std::optional<Number> value;
    QString refusal;
};

// Minutes between reminders: an unsigned whole number in kMinInterval … kMaxInterval.
Typed<unsigned> ReadInterval(const QString& text);
// Points: a decimal number in kMinFontSize … kMaxFontSize.
Typed<float> ReadFontSize(const QString& text);

// An unsigned whole number in decimal digits, blanks around it allowed; no sign.
std::optional<unsigned> ReadUnsigned(const QString& text);
// A finite decimal number ("9.7", "10", "1e1"), blanks around it allowed.
std::optional<float> ReadDecimal(const QString& text);
// At most six significant digits, so 10.0 shows as "10" and 9.7 as "9.7".
QString FormatDecimal(float value);

// Points to whole tenths, rounded to the nearest and held inside the int range.
int TenthsFromPoints(float points);
// The stored tenths, taken as unsigned, to points.
float PointsFromTenths(int storedTenths);

}  // namespace prefinput
