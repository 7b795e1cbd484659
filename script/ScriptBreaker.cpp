#include "script/ScriptBreaker.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <memory>

namespace script {

namespace {

struct BreakCloser {
    void operator()(UBreakIterator* b) const { ubrk_close(b); }
};

// One line-break iterator per thread; opening one loads the rules, so it is done once.
UBreakIterator* lineBreaks() {
    thread_local std::unique_ptr<UBreakIterator, BreakCloser> it([] {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* b = ubrk_open(UBRK_LINE, "ar", nullptr, 0, &status);
        return U_SUCCESS(status) ? b : nullptr;
    }());
    return it.get();
}

}  // namespace

bool ScriptBreaker::Break(const char16_t* text, int length, const ScriptAnalysis& /*analysis*/,
                          ScriptLogAttr* attributes) {
    if (text == nullptr || length <= 0 || attributes == nullptr)
        return false;
    UBreakIterator* it = lineBreaks();
    if (it == nullptr)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    ubrk_setText(it, reinterpret_cast<const UChar*>(text), length, &status);
    if (U_FAILURE(status))
        return false;

    for (int i = 0; i < length;) {
        const int start = i;
        UChar32 c;
        U16_NEXT(text, i, length, c);
        for (int k = start; k < i; ++k)
            attributes[k] = ScriptLogAttr{false, u_isUWhiteSpace(c) != 0};
    }
    for (int32_t pos = ubrk_first(it); pos != UBRK_DONE; pos = ubrk_next(it)) {
        if (pos > 0 && pos < length)
            attributes[pos].softBreak = true;
    }
    // The iterator keeps a pointer to the text; leave it on an empty one.
    ubrk_setText(it, nullptr, 0, &status);
    return true;
}

bool ScriptBreaker::IsWhiteSpace(char16_t c) {
    return u_isUWhiteSpace(c) != 0;
}

}  // namespace script
