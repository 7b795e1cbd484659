#pragma once

#include "script/ScriptTypes.h"

namespace script {

// Break attributes of a run (ScriptBreak) from ICU's line-break iterator and its
// white-space property.
class ScriptBreaker {
public:
    // Fills attributes[0 .. length): softBreak where a line may break before the
    // character (never at 0), whiteSpace where u_isUWhiteSpace holds.
    static bool Break(const char16_t* text, int length, const ScriptAnalysis& analysis,
                      ScriptLogAttr* attributes);
    // u_isUWhiteSpace of one UTF-16 unit.
    static bool IsWhiteSpace(char16_t c);
};

}  // namespace script
