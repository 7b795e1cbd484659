#include "script/ScriptItemizer.h"

#include <unicode/ubidi.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <memory>

namespace script {

namespace {

struct BidiCloser {
    void operator()(UBiDi* b) const { ubidi_close(b); }
};

// One bidi object per thread, reused: opening one for every paint costs more than the work.
UBiDi* bidi() {
    thread_local std::unique_ptr<UBiDi, BidiCloser> b(ubidi_open());
    return b.get();
}

bool isCommon(UScriptCode sc) {
    return sc == USCRIPT_COMMON || sc == USCRIPT_INHERITED || sc == USCRIPT_INVALID_CODE;
}

}  // namespace

bool ScriptItemizer::Itemize(const char16_t* text, int length, int maxItems,
                             const ScriptControl& control, const ScriptState& state,
                             ScriptItem* items, int* itemCount) {
    *itemCount = 0;
    if (text == nullptr || length <= 0 || maxItems < 2 || items == nullptr)
        return false;
    UBiDi* para = bidi();
    if (para == nullptr)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    ubidi_setPara(para, reinterpret_cast<const UChar*>(text), length,
                  static_cast<UBiDiLevel>(state.bidiLevel & 1), nullptr, &status);
    const UBiDiLevel* levels = ubidi_getLevels(para, &status);
    if (U_FAILURE(status) || levels == nullptr)
        return false;

    // Script runs: common and inherited characters (spaces, digits, punctuation, marks)
    // belong to the item they stand in; an item that starts with them takes the first real
    // script inside it, or else the script before it.
    int count = 0;
    UScriptCode lastScript = USCRIPT_COMMON;
    bool itemHasScript = false;
    int i = 0;
    while (i < length) {
        const int start = i;
        UChar32 c;
        U16_NEXT(text, i, length, c);
        UErrorCode err = U_ZERO_ERROR;
        UScriptCode sc = uscript_getScript(c, &err);
        if (U_FAILURE(err))
            sc = USCRIPT_COMMON;
        const bool real = !isCommon(sc);
        const bool levelBreak = start > 0 && levels[start] != levels[start - 1];
        const bool scriptBreak = real && itemHasScript && sc != items[count - 1].a.script;
        if (start == 0 || levelBreak || scriptBreak) {
            if (count + 1 >= maxItems)
                return false;  // no room for this item and the closing entry
            ScriptItem& item = items[count++];
            item.charPos = start;
            item.a = ScriptAnalysis{};
            item.a.script = real ? sc : lastScript;
            item.a.state = state;
            item.a.state.bidiLevel = levels[start];
            item.a.language = control.defaultLanguage;
            itemHasScript = real;
        } else if (real && !itemHasScript) {
            items[count - 1].a.script = sc;
            itemHasScript = true;
        }
        if (real) {
            if (isCommon(lastScript)) {
                // The text began without a script of its own: those items take this one.
                for (int k = 0; k < count; ++k) {
                    if (isCommon(static_cast<UScriptCode>(items[k].a.script)))
                        items[k].a.script = sc;
                }
            }
            lastScript = sc;
        }
    }
    items[count].charPos = length;
    items[count].a = ScriptAnalysis{};
    *itemCount = count;
    return true;
}

bool ScriptItemizer::Layout(int runs, const uint8_t* levels, int* visualToLogical,
                            int* logicalToVisual) {
    if (runs <= 0 || levels == nullptr)
        return false;
    constexpr int kMax = 256;
    int order[kMax];
    int* map = visualToLogical != nullptr ? visualToLogical : order;
    if (visualToLogical == nullptr && runs > kMax)
        return false;
    ubidi_reorderVisual(levels, runs, map);
    if (logicalToVisual != nullptr) {
        for (int visual = 0; visual < runs; ++visual)
            logicalToVisual[map[visual]] = visual;
    }
    return true;
}

}  // namespace script
