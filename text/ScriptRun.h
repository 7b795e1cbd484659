#pragma once

#include "script/ScriptTypes.h"

// One run of a line being laid out: a piece of one script item, in logical order. A run's
// first character is never stored: it is the line's first character plus the lengths of
// the runs before it on the same line.
struct ScriptRun {
    int length = 0;
    script::ScriptAnalysis analysis;
    ScriptRun* next = nullptr;

    // Cuts this run after its first k characters (0 < k < length): the rest becomes a new
    // run linked right after it, with the same analysis. Returns the new run.
    ScriptRun* SplitAfter(int k);
    // Frees a list of runs up to (not including) end.
    static void FreeList(ScriptRun* first, ScriptRun* end = nullptr);
};
