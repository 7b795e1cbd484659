#pragma once

#include <QFont>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

#include "script/ScriptCache.h"
#include "script/ScriptTypes.h"

class QPainter;
class ScriptTextBuffer;
struct ScriptRun;

// Lays out one paragraph of right-to-left text, wraps it into lines that fit a rectangle
// and draws the block centred in it. Two drawing paths: the system path (Qt's
// own text drawing) where the Arabic locale is installed, else the own path (ICU bidi and
// script runs, HarfBuzz shaping, ICU line breaks, glyph runs through QRawFont).
class CScriptTextLayout {
public:
    explicit CScriptTextLayout(bool rightToLeft = true);
    virtual ~CScriptTextLayout();

    CScriptTextLayout(const CScriptTextLayout&) = delete;
    CScriptTextLayout& operator=(const CScriptTextLayout&) = delete;

    void SetText(const std::string& text);  // code page 1256 bytes
    // Stores the pointer, sets the font on the painter, returns the painter's previous font;
    // measures lineHeight when it is 0.
    QFont SelectFont(QPainter& dc, const QFont* font);
    void SetDirection(bool rightToLeft);
    void InvalidateLayout();
    void Draw(QPainter& dc, const QRect& rect);
    static int IsArabicLocaleInstalled();  // asked once per process

    // --- Test seams -------------------------------------------------------------------
    // Which path Draw takes: Auto asks IsArabicLocaleInstalled and the direction.
    enum class Path { Auto, System, Own };
    void SetPathForTests(Path path) { pathForTests = path; }
    // Replaces the process-wide answer (-1 asks again on the next call).
    static void SetArabicLocaleAnswerForTests(int answer);

    // What the last Draw did, filled only while a recording is attached.
    struct RecordedRun {
        int first = 0;   // first character (UTF-16 index into the text)
        int length = 0;  // characters
        int level = 0;   // bidi embedding level
        int script = 0;  // UScriptCode
        int x = 0;       // pen x the run was drawn against (its right end when right-aligned)
        int width = 0;
        std::vector<quint32> glyphs;  // in the order drawn (visual, left to right)
        std::vector<int> faces;       // per glyph: the face of the shaping cache
    };
    struct RecordedLine {
        int first = 0;
        int chars = 0;
        int width = 0;  // the width used for centring, trailing white space included
        int y = 0;      // top of the line
        std::vector<RecordedRun> runs;  // in drawing order (right to left when right-aligned)
    };
    struct Recording {
        Path path = Path::Auto;              // the path Draw took (System or Own)
        std::vector<RecordedLine> measured;  // own path, first pass (runs left empty)
        std::vector<RecordedLine> lines;     // own path, drawing pass
        QRect box;                           // own path: the centred block
        QRect placement;                     // system path: where the text was drawn
        bool placementComputed = false;      // system path: measured anew in this Draw
        int lineHeight = 0;
        void Clear() { *this = Recording{}; }
    };
    void SetRecording(Recording* recording) { record = recording; }

    // Read-only views for tests.
    const ScriptTextBuffer& Buffer() const { return *buffer; }
    int LineHeight() const { return lineHeight; }
    QRect Placement() const { return placement; }

private:
    void DrawSystem(QPainter& dc, const QRect& rect);
    void DrawOwn(QPainter& dc, const QRect& rect);
    // Bounds with an exclusive right and bottom edge, as Windows keeps a RECT.
    struct Bounds {
        int left, top, right, bottom;
    };
    void LayoutParagraph(QPainter& dc, QPoint& pos, const Bounds& bounds, bool draw);
    ScriptRun* ItemizeRuns();
    bool ShapeRun(const ScriptRun& run, int firstChar, int& width, int length = -1);
    bool ShapeRunForFit(const ScriptRun& run, int firstChar, int room, int headGuess, int& width,
                        int& shapedLength);
    int FitRun(ScriptRun& run, int fitLength, int remaining, int firstChar, bool lineEmpty,
               int& kept);
    void DrawLine(QPainter& dc, int y, const Bounds& bounds, int lineStart, ScriptRun* runs,
                  int runCount, bool draw, RecordedLine* recorded);
    bool DrawRun(QPainter& dc, int& x, int y, const ScriptRun& run, int firstChar,
                 RecordedRun* recorded);

    bool rightToLeft = true;
    const QFont* font = nullptr;  // not owned
    bool rightAligned = true;
    int lineHeight = 0;
    script::ScriptControl scriptControl;
    script::ScriptState scriptState;
    script::ScriptCache scriptCache;
    std::unique_ptr<ScriptTextBuffer> buffer;
    QRect placement;
    bool layoutStale = false;
    int glyphCount = 0;  // glyphs of the run shaped last

    Path pathForTests = Path::Auto;
    Recording* record = nullptr;
};
