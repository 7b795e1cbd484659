#include "platform/ScriptShaper.h"

#include <QGlyphRun>
#include <QPainter>

#include <hb.h>
#include <unicode/uscript.h>

#include <algorithm>

#include "platform/ScriptCache.h"

namespace platform {

namespace {

// 26.6 fixed point to whole pixels, halves away from zero.
int toPixels(hb_position_t v) {
    return v >= 0 ? (v + 32) / 64 : -((-v + 32) / 64);
}

hb_script_t hbScript(int script) {
    const auto code = static_cast<UScriptCode>(script);
    if (code == USCRIPT_COMMON || code == USCRIPT_INHERITED || code == USCRIPT_INVALID_CODE)
        return HB_SCRIPT_INVALID;
    const char* tag = uscript_getShortName(code);
    return tag != nullptr ? hb_script_from_string(tag, -1) : HB_SCRIPT_INVALID;
}

}  // namespace

namespace {

// Shapes into the cache's buffer with one face; returns the number of .notdef glyphs.
unsigned int shapeWith(const ScriptCache& cache, int face, const char16_t* text, int length,
                       const ScriptAnalysis& analysis) {
    hb_buffer_t* buf = cache.HbBuffer();
    hb_buffer_clear_contents(buf);
    hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(text), length, 0, length);
    hb_buffer_set_direction(buf,
                            (analysis.state.bidiLevel & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buf, hbScript(analysis.script));
    if ((analysis.language & 0x3ff) == 0x0001)
        hb_buffer_set_language(buf, hb_language_from_string("ar", -1));
    hb_buffer_guess_segment_properties(buf);  // fills in only what is still unset
    hb_shape(cache.GetFace(face).hbFont, buf, nullptr, 0);
    unsigned int n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    unsigned int missing = 0;
    for (unsigned int g = 0; g < n; ++g)
        missing += info[g].codepoint == 0 ? 1 : 0;
    return missing;
}

}  // namespace

bool ScriptShaper::Shape(const ScriptCache& cache, const char16_t* text, int length, int maxGlyphs,
                         const ScriptAnalysis& analysis, uint32_t* glyphs, int* clusterMap,
                         ScriptVisAttr* visualAttributes, int* advances, GlyphOffset* offsets,
                         int* glyphCount, int* width, int* face) {
    *glyphCount = 0;
    *width = 0;
    *face = -1;
    if (cache.IsEmpty() || text == nullptr || length <= 0)
        return false;
    int used = cache.FaceFor(analysis.script);
    unsigned int missing = shapeWith(cache, used, text, length, analysis);
    if (missing > 0) {
        const int other = cache.FallbackFor(used);
        if (other >= 0) {
            const unsigned int otherMissing = shapeWith(cache, other, text, length, analysis);
            if (otherMissing < missing)
                used = other;
            else
                shapeWith(cache, used, text, length, analysis);
        }
    }

    hb_buffer_t* buf = cache.HbBuffer();
    unsigned int n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, nullptr);
    if (n == 0 || static_cast<int>(n) > maxGlyphs)
        return false;

    // Each character's cluster is the nearest cluster value at or before it; its entry is
    // the lowest glyph index of that cluster (clusters are contiguous in HarfBuzz's
    // default, monotone cluster level).
    std::fill_n(clusterMap, length, -1);
    int total = 0;
    for (unsigned int g = 0; g < n; ++g) {
        glyphs[g] = info[g].codepoint;
        advances[g] = toPixels(pos[g].x_advance);
        offsets[g] = GlyphOffset{toPixels(pos[g].x_offset), -toPixels(pos[g].y_offset)};
        total += advances[g];
        const auto c = static_cast<int>(
            std::min<unsigned int>(info[g].cluster, static_cast<unsigned int>(length - 1)));
        if (clusterMap[c] < 0 || static_cast<int>(g) < clusterMap[c])
            clusterMap[c] = static_cast<int>(g);
    }
    if (clusterMap[0] < 0)
        return false;
    for (int i = 1; i < length; ++i) {
        if (clusterMap[i] < 0)
            clusterMap[i] = clusterMap[i - 1];
    }
    for (unsigned int g = 0; g < n; ++g)
        visualAttributes[g] = ScriptVisAttr{false, advances[g] == 0};
    for (int i = 0; i < length; ++i)
        visualAttributes[clusterMap[i]].clusterStart = true;

    *glyphCount = static_cast<int>(n);
    *width = total;
    *face = used;
    return true;
}

bool ScriptShaper::GetLogicalWidths(const ScriptAnalysis& /*analysis*/, int length, int glyphCount,
                                    const int* advances, const int* clusterMap,
                                    const ScriptVisAttr* visualAttributes, int* logicalWidths) {
    if (length <= 0 || glyphCount <= 0)
        return false;
    int i = 0;
    while (i < length) {
        const int first = clusterMap[i];
        if (first < 0 || first >= glyphCount)
            return false;
        int end = i + 1;
        while (end < length && clusterMap[end] == first)
            ++end;
        // The cluster's glyphs run from its first glyph up to the next cluster's first.
        int clusterWidth = 0;
        int g = first;
        do {
            clusterWidth += advances[g];
            ++g;
        } while (g < glyphCount && !visualAttributes[g].clusterStart);
        const int chars = end - i;
        const int share = clusterWidth / chars;
        for (int k = i; k < end; ++k)
            logicalWidths[k] = share;
        logicalWidths[i] += clusterWidth - share * chars;
        i = end;
    }
    return true;
}

bool ScriptShaper::TextOut(QPainter& dc, const ScriptCache& cache, int face, int x, int y,
                           bool alignRight, const uint32_t* glyphs, int glyphCount,
                           const int* advances, const GlyphOffset* offsets, QPointF* positions) {
    if (cache.IsEmpty() || face < 0 || glyphCount <= 0)
        return false;
    int width = 0;
    for (int g = 0; g < glyphCount; ++g)
        width += advances[g];
    int pen = alignRight ? x - width : x;
    const int baseline = y + cache.Ascent();
    for (int g = 0; g < glyphCount; ++g) {
        positions[g] = QPointF(pen + offsets[g].du, baseline + offsets[g].dv);
        pen += advances[g];
    }
    QGlyphRun run;
    run.setRawFont(cache.GetFace(face).rawFont);
    run.setRawData(glyphs, positions, glyphCount);
    dc.drawGlyphRun(QPointF(0, 0), run);
    return true;
}

}  // namespace platform
