#pragma once

#include <string>

namespace notifier {

// How long the popup stays fully shown for a phrase (code page 1256, one byte a character):
// 150 ms a non-space character, a trailing space counting one more, kept within
// 3000 … 20000 ms, plus 1500 ms.
unsigned DisplayTimeFor(const std::string& text);

}  // namespace notifier
