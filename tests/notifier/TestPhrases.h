#pragma once

#include <string>

#include "script/CodePage1256.h"

namespace testphrases {

// U+0633 U+0628 U+062D U+0627 U+0646 U+0020 U+0627 U+0644 U+0644 U+0647, in code page 1256.
inline std::string Glory() {
    return script::CodePage1256::FromUtf16(
        u"\u0633\u0628\u062D\u0627\u0646\u0020\u0627\u0644\u0644\u0647");
}

}  // namespace testphrases
