#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The web browser's open command with the target put in place of its placeholder, as an
// argument vector to run without a shell. The first quoted placeholder ("%1", "%u", "%U",
// "%f" or "%F" in double quotes) is looked for, then a bare one; the command is cut off where
// it begins and the target follows as one argument. With no placeholder the target goes at
// the end. Nothing when the command names no program or, with the target, does not fit the
// command buffer.
std::optional<QStringList> BuildFallbackCommand(const QString& command, const QString& target);

inline constexpr int kFallbackCommandBuffer = 520;
