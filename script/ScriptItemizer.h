#pragma once

#include <cstdint>

#include "script/ScriptTypes.h"

namespace script {

// Itemizing and visual ordering (ScriptItemize, ScriptLayout) on ICU: ubidi gives the
// embedding levels, ICU's script property splits them further into script runs, and
// ubidi_reorderVisual orders the runs of a line.
class ScriptItemizer {
public:
    // Splits text into items of one level and one script. items must hold maxItems
    // entries; on success items[*itemCount].charPos is length (the closing entry).
    static bool Itemize(const char16_t* text, int length, int maxItems,
                        const ScriptControl& control, const ScriptState& state, ScriptItem* items,
                        int* itemCount);

    // Visual order of runs with the given levels: either table may be null.
    static bool Layout(int runs, const uint8_t* levels, int* visualToLogical, int* logicalToVisual);
};

}  // namespace script
