#include "text/ScriptTextLayout.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QTextOption>

#include <algorithm>

#include "platform/ArabicLocale.h"
#include "script/ScriptBreaker.h"
#include "script/ScriptItemizer.h"
#include "script/ScriptShaper.h"
#include "text/ScriptRun.h"
#include "text/ScriptTextBuffer.h"

namespace {

// -1 not yet asked, 1 installed, 0 not installed.
int arabicLocaleInstalled = -1;

// The per-line reordering tables are fixed; a line closes once it holds this many runs.
constexpr int kMaxLineRuns = 200;

// The shortest head of a long run that is shaped to try it on a line (see ShapeRunForFit).
constexpr int kMinFitHead = 32;

}  // namespace

CScriptTextLayout::CScriptTextLayout(bool rightToLeft)
    : buffer(std::make_unique<ScriptTextBuffer>()) {
    SetDirection(rightToLeft);
}

CScriptTextLayout::~CScriptTextLayout() = default;

void CScriptTextLayout::SetText(const std::string& text) {
    buffer->SetText(text);
}

QFont CScriptTextLayout::SelectFont(QPainter& dc, const QFont* newFont) {
    if (newFont != font) {
        // The line height and the shaping cache belong to the font.
        font = newFont;
        lineHeight = 0;
        scriptCache.Reset();
    }
    QFont previous = dc.font();
    if (font != nullptr)
        dc.setFont(*font);
    if (lineHeight == 0 && font != nullptr) {
        if (scriptCache.IsEmpty())
            scriptCache.Create(*font, dc.device());
        lineHeight = scriptCache.Height();
    }
    return previous;
}

void CScriptTextLayout::SetDirection(bool rtl) {
    rightToLeft = rtl;
    rightAligned = rtl;
    if (rtl) {
        scriptState = script::ScriptState{1, true, true};
        scriptControl = script::ScriptControl{0x0001};
    } else {
        // Left to right: a plain paragraph at level 0 with no language preference.
        scriptState = script::ScriptState{};
        scriptControl = script::ScriptControl{};
    }
}

void CScriptTextLayout::InvalidateLayout() {
    // The owner re-created its font inside the same object: measure it anew.
    layoutStale = true;
    lineHeight = 0;
    scriptCache.Reset();
}

int CScriptTextLayout::IsArabicLocaleInstalled() {
    if (arabicLocaleInstalled != -1)
        return arabicLocaleInstalled;
    arabicLocaleInstalled = platform::ArabicLocale::IsInstalled() ? 1 : 0;
    return arabicLocaleInstalled;
}

void CScriptTextLayout::SetArabicLocaleAnswerForTests(int answer) {
    arabicLocaleInstalled = answer;
}

void CScriptTextLayout::Draw(QPainter& dc, const QRect& rect) {
    bool system = false;
    switch (pathForTests) {
        case Path::System:
            system = true;
            break;
        case Path::Own:
            system = false;
            break;
        case Path::Auto:
            system = IsArabicLocaleInstalled() == 1 || !rightToLeft;
            break;
    }
    if (record != nullptr) {
        record->Clear();
        record->path = system ? Path::System : Path::Own;
        record->lineHeight = lineHeight;
    }
    if (system)
        DrawSystem(dc, rect);
    else
        DrawOwn(dc, rect);
}

void CScriptTextLayout::DrawSystem(QPainter& dc, const QRect& rect) {
    const int flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;
    const QString text =
        QString::fromUtf16(buffer->length > 0 ? buffer->wideText.data() : u"", buffer->length);
    if (buffer->changed || layoutStale) {
        buffer->changed = false;
        layoutStale = false;
        // Measure the wrapped text with its top-left corner kept, then centre that box.
        placement = rect;
        const QFontMetrics metrics(dc.font(), dc.device());
        const QRect measureIn(rect.topLeft(),
                              QSize(std::max(rect.width(), 0), std::max(rect.height(), 0)));
        const QRect needed = metrics.boundingRect(measureIn, flags, text);
        placement.setSize(needed.size());
        const int dx = (rect.width() - placement.width()) / 2;
        const int dy = (rect.height() - placement.height()) / 2;
        placement.translate(dx, dy);
        if (record != nullptr)
            record->placementComputed = true;
    }
    if (record != nullptr)
        record->placement = placement;
    if (buffer->length <= 0)
        return;
    // Each line centred on its own, words wrapped, read right to left.
    QTextOption option(Qt::AlignHCenter | Qt::AlignVCenter);
    option.setWrapMode(QTextOption::WordWrap);
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    dc.drawText(QRectF(placement), text, option);
}

void CScriptTextLayout::DrawOwn(QPainter& dc, const QRect& rect) {
    // First pass measures: the widest line and the number of lines.
    const Bounds area{rect.left(), rect.top(), rect.left() + rect.width(),
                      rect.top() + rect.height()};
    QPoint pos(area.left, area.top);
    LayoutParagraph(dc, pos, area, false);
    const int width = pos.x() - area.left;
    const int height = pos.y() - area.top;

    // The block is centred both ways; a block taller than the rectangle overflows it
    // equally at top and bottom.
    const int x0 = area.left + ((area.right - area.left) - width) / 2;
    const int y0 = area.top + ((area.bottom - area.top) - height) / 2;
    const Bounds box{x0, y0, x0 + width, y0 + height};
    if (record != nullptr)
        record->box = QRect(x0, y0, width, height);

    // Second pass draws, breaking the lines again at the block's width.
    pos = QPoint(x0, y0);
    LayoutParagraph(dc, pos, box, true);
}

void CScriptTextLayout::LayoutParagraph(QPainter& dc, QPoint& pos, const Bounds& bounds,
                                        bool draw) {
    const int available = bounds.right - bounds.left;
    if (buffer->length <= 0 || available <= 0)
        return;

    ScriptRun* head = ItemizeRuns();
    int lineStart = 0;
    int widest = 0;
    int y = pos.y();
    // Where ShapeRunForFit starts: more characters than the first line can hold at a
    // fifth of the line height each, later a quarter more than the last line held.
    int headGuess = available * 5 / std::max(lineHeight, 1) + 8;
    while (head != nullptr) {
        int lineWidth = 0;
        int lineChars = 0;
        int runCount = 0;
        ScriptRun* current = head;
        ScriptRun* nextLine = nullptr;  // first run of the next line
        int width = 0;
        int shaped = 0;  // characters of the current run the last shaping covered
        if (!ShapeRunForFit(*current, lineStart, available, headGuess, width, shaped)) {
            ScriptRun::FreeList(head);
            return;
        }
        for (;;) {
            if (lineWidth + width <= available && runCount < kMaxLineRuns) {
                lineWidth += width;
                lineChars += current->length;
                ++runCount;
                current = current->next;
                if (current == nullptr)
                    break;
                if (!ShapeRunForFit(*current, lineStart + lineChars, available - lineWidth,
                                    headGuess - lineChars, width, shaped)) {
                    ScriptRun::FreeList(head);
                    return;
                }
                continue;
            }
            nextLine = current;
            if (runCount < kMaxLineRuns && lineWidth < available) {
                // Cut the run that does not fit; its glyph data is from the last shaping.
                int kept = 0;
                lineWidth += FitRun(*current, shaped, available - lineWidth, lineStart + lineChars,
                                    lineChars == 0, kept);
                if (kept > 0) {
                    lineChars += kept;
                    ++runCount;
                    nextLine = current->next;
                }
            }
            break;
        }
        if (lineChars == 0) {
            // Never reached by the rules above (an empty line keeps a cluster); a guard
            // so that a line always advances.
            lineChars = head->length;
            runCount = 1;
            nextLine = head->next;
        }
        widest = std::max(widest, lineWidth);

        RecordedLine* recorded = nullptr;
        if (record != nullptr) {
            auto& list = draw ? record->lines : record->measured;
            list.push_back(RecordedLine{lineStart, lineChars, lineWidth, y, {}});
            recorded = &list.back();
        }
        DrawLine(dc, y, bounds, lineStart, head, runCount, draw, recorded);
        y += lineHeight;
        lineStart += lineChars;
        headGuess = lineChars + lineChars / 4 + 4;
        ScriptRun::FreeList(head, nextLine);
        head = nextLine;
    }
    pos.rx() += widest;
    pos.ry() = y;
}

ScriptRun* CScriptTextLayout::ItemizeRuns() {
    ScriptTextBuffer& b = *buffer;
    int count = 0;
    if (!script::ScriptItemizer::Itemize(b.wideText.data(), b.length, b.maxItems, scriptControl,
                                           scriptState, b.items.data(), &count))
        return nullptr;
    ScriptRun* head = nullptr;
    ScriptRun** tail = &head;
    for (int i = 0; i < count; ++i) {
        const int end = i + 1 < count ? b.items[i + 1].charPos : b.length;
        auto* run = new ScriptRun;
        run->length = end - b.items[i].charPos;
        run->analysis = b.items[i].a;
        *tail = run;
        tail = &run->next;
    }
    return head;
}

bool CScriptTextLayout::ShapeRun(const ScriptRun& run, int firstChar, int& width, int length) {
    ScriptTextBuffer& b = *buffer;
    return script::ScriptShaper::Shape(
        scriptCache, b.wideText.data() + firstChar, length < 0 ? run.length : length, b.maxGlyphs,
        run.analysis, b.glyphs.data(), b.clusterMap.data(), b.visualAttributes.data(),
        b.advances.data(), b.glyphOffsets.data(), &glyphCount, &width, b.glyphFaces.data());
}

// Trying a long run on a line means shaping all of it for every line, which grows with
// the square of its length. Its head tells the same once the head alone is wider than the
// room left: the head ends after white space, where neither joining nor line breaking looks
// across, so the characters a line can keep are shaped and broken just as in the whole run.
// headGuess is where to start; a head that still fits is doubled.
bool CScriptTextLayout::ShapeRunForFit(const ScriptRun& run, int firstChar, int room, int headGuess,
                                       int& width, int& shapedLength) {
    shapedLength = run.length;
    const char16_t* text = buffer->wideText.data() + firstChar;
    const int first = std::max(headGuess, kMinFitHead);
    if (run.length <= first + first / 2)
        return ShapeRun(run, firstChar, width);  // not worth a head of its own
    for (int head = first; head < run.length; head *= 2) {
        int end = head;
        while (end < run.length && !(script::ScriptBreaker::IsWhiteSpace(text[end - 1]) &&
                                     !script::ScriptBreaker::IsWhiteSpace(text[end])))
            ++end;
        if (end >= run.length)
            break;
        if (!ShapeRun(run, firstChar, width, end))
            break;
        if (width > room) {
            shapedLength = end;
            return true;
        }
        head = end;
    }
    return ShapeRun(run, firstChar, width);
}

int CScriptTextLayout::FitRun(ScriptRun& run, int fitLength, int remaining, int firstChar,
                              bool lineEmpty, int& kept) {
    ScriptTextBuffer& b = *buffer;
    // The characters the last shaping covered: the whole run, or its head.
    const int length = fitLength;
    int* widths = b.logicalWidths.data();
    kept = run.length;  // on failure the whole run stays and adds nothing
    if (!script::ScriptShaper::GetLogicalWidths(run.analysis, length, glyphCount,
                                                  b.advances.data(), b.clusterMap.data(),
                                                  b.visualAttributes.data(), widths))
        return 0;
    // Keep the characters whose running width stays strictly below what is left.
    int k = 0;
    int w = 0;
    while (k < length && w + widths[k] < remaining) {
        w += widths[k];
        ++k;
    }
    script::ScriptLogAttr* attrs = b.logicalAttributes.data();
    if (!script::ScriptBreaker::Break(b.wideText.data() + firstChar, length, run.analysis, attrs))
        return 0;
    // Back up to a break opportunity or white space; character 0 is never tested.
    if (k > 0 && k < length) {
        while (k > 0 && !attrs[k].softBreak && !attrs[k].whiteSpace) {
            --k;
            w -= widths[k];
        }
    }
    // An empty line keeps at least its first cluster.
    if (lineEmpty && k == 0) {
        w = 0;
        while (k < length && b.clusterMap[k] == b.clusterMap[0]) {
            w += widths[k];
            ++k;
        }
    }
    // White space after the break stays on the line and counts in its width.
    while (k < length && attrs[k].whiteSpace) {
        w += widths[k];
        ++k;
    }
    if (k > 0 && k < run.length)
        run.SplitAfter(k);
    kept = k;
    return w;
}

void CScriptTextLayout::DrawLine(QPainter& dc, int y, const Bounds& bounds, int lineStart,
                                 ScriptRun* runs, int runCount, bool draw, RecordedLine* recorded) {
    if (!draw)
        return;
    // Fixed tables: the levels of the runs in logical order, their visual slots, and the
    // runs and first characters by slot.
    uint8_t levels[kMaxLineRuns] = {};
    int logicalToVisual[kMaxLineRuns];
    int visualToLogical[kMaxLineRuns];
    ScriptRun* logical[kMaxLineRuns];
    int firsts[kMaxLineRuns];
    ScriptRun* bySlot[kMaxLineRuns];
    int firstBySlot[kMaxLineRuns];
    int n = 0;
    int first = lineStart;
    for (ScriptRun* run = runs; n < std::min(runCount, kMaxLineRuns) && run != nullptr;
         run = run->next, ++n) {
        levels[n] = run->analysis.state.bidiLevel;
        logical[n] = run;
        firsts[n] = first;
        first += run->length;
    }
    if (n == 0 || !script::ScriptItemizer::Layout(n, levels, visualToLogical, logicalToVisual))
        return;
    for (int i = 0; i < n; ++i) {
        bySlot[logicalToVisual[i]] = logical[i];
        firstBySlot[logicalToVisual[i]] = firsts[i];
    }
    int x = rightAligned ? bounds.right - 1 : bounds.left;
    for (int step = 0; step < n; ++step) {
        // Right-aligned lines are set from the rightmost slot leftwards.
        const int slot = rightAligned ? n - 1 - step : step;
        RecordedRun* rec = nullptr;
        if (recorded != nullptr) {
            recorded->runs.push_back(RecordedRun{});
            rec = &recorded->runs.back();
        }
        if (!DrawRun(dc, x, y, *bySlot[slot], firstBySlot[slot], rec) && recorded != nullptr)
            recorded->runs.pop_back();
    }
}

bool CScriptTextLayout::DrawRun(QPainter& dc, int& x, int y, const ScriptRun& run, int firstChar,
                                RecordedRun* recorded) {
    // Shaped again: later runs have overwritten its glyphs since.
    int width = 0;
    if (!ShapeRun(run, firstChar, width))
        return false;
    ScriptTextBuffer& b = *buffer;
    if (!script::ScriptShaper::TextOut(dc, scriptCache, b.glyphFaces.data(), x, y, rightAligned,
                                         b.glyphs.data(), glyphCount, b.advances.data(),
                                         b.glyphOffsets.data(), b.glyphPositions.data()))
        return false;
    if (recorded != nullptr) {
        *recorded =
            RecordedRun{firstChar,
                        run.length,
                        run.analysis.state.bidiLevel,
                        run.analysis.script,
                        x,
                        width,
                        std::vector<quint32>(b.glyphs.begin(), b.glyphs.begin() + glyphCount),
                        std::vector<int>(b.glyphFaces.begin(), b.glyphFaces.begin() + glyphCount)};
    }
    x += rightAligned ? -width : width;
    return true;
}
