#pragma once

#include <QString>

#include <string>

// The tray icon's tooltip: the product name and today's Hijri date (code page 1256),
// cut to the 63 characters the shell's tooltip field holds.
namespace traytip {

inline constexpr int kMaxChars = 63;
inline constexpr char kPrefix[] = "Quietbell: ";

QString Compose(const std::string& hijriDate);
// The date as a tooltip composed by Compose writes it, without the product name.
QString DateOf(const QString& tip);

}  // namespace traytip
