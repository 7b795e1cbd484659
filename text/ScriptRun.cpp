#include "text/ScriptRun.h"

ScriptRun* ScriptRun::SplitAfter(int k) {
    auto* rest = new ScriptRun;
    rest->length = length - k;
    rest->analysis = analysis;
    rest->next = next;
    length = k;
    next = rest;
    return rest;
}

void ScriptRun::FreeList(ScriptRun* first, ScriptRun* end) {
    while (first != nullptr && first != end) {
        ScriptRun* next = first->next;
        delete first;
        first = next;
    }
}
