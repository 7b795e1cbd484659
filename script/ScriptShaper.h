#pragma once

#include <QPointF>

#include <cstdint>

#include "script/ScriptTypes.h"

class QPainter;

namespace script {

class ScriptCache;

// Shaping, placing, logical widths and glyph output of one run (ScriptShape, ScriptPlace,
// ScriptGetLogicalWidths, ScriptTextOut) with HarfBuzz on the font data of a ScriptCache,
// drawn through QGlyphRun. Widths are whole pixels: every glyph advance is rounded on
// its own, so a piece of a run is as wide as the sum of its characters.
class ScriptShaper {
public:
    // Shapes and places length characters. Glyphs come in visual order (left to right);
    // clusterMap gets one entry per character: the first glyph of its cluster. faces gets
    // one entry per glyph: the face of the cache it belongs to. The run's script picks the
    // face; only the clusters that face lacks are shaped again on the fallback face. Fails
    // when the font is missing or more than maxGlyphs glyphs would be needed.
    static bool Shape(const ScriptCache& cache, const char16_t* text, int length, int maxGlyphs,
                      const ScriptAnalysis& analysis, uint32_t* glyphs, int* clusterMap,
                      ScriptVisAttr* visualAttributes, int* advances, GlyphOffset* offsets,
                      int* glyphCount, int* width, int* faces);

    // Each cluster's advance shared out over its characters (the sum stays exact).
    static bool GetLogicalWidths(const ScriptAnalysis& analysis, int length, int glyphCount,
                                 const int* advances, const int* clusterMap,
                                 const ScriptVisAttr* visualAttributes, int* logicalWidths);

    // Draws the glyphs with the line's top at y; the run ends at x when alignRight, else
    // starts there. positions is scratch of glyphCount entries, handed to Qt without a copy.
    static bool TextOut(QPainter& dc, const ScriptCache& cache, const int* faces, int x, int y,
                        bool alignRight, const uint32_t* glyphs, int glyphCount,
                        const int* advances, const GlyphOffset* offsets, QPointF* positions);
};

}  // namespace script
