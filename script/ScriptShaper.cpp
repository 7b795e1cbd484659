#include "script/ScriptShaper.h"

#include <QGlyphRun>
#include <QPainter>

#include <hb.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <vector>

#include "script/ScriptCache.h"

namespace script {

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

// Shapes count characters of text from first, with the rest of the run as context for
// joining, into buf with one face of the cache.
void shapeWith(const ScriptCache& cache, hb_buffer_t* buf, int face, const char16_t* text,
               int length, int first, int count, const ScriptAnalysis& analysis) {
    hb_buffer_clear_contents(buf);
    hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(text), length,
                        static_cast<unsigned int>(first), count);
    hb_buffer_set_direction(buf,
                            (analysis.state.bidiLevel & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buf, hbScript(analysis.script));
    if ((analysis.language & 0x3ff) == 0x0001)
        hb_buffer_set_language(buf, hb_language_from_string("ar", -1));
    hb_buffer_guess_segment_properties(buf);  // fills in only what is still unset
    hb_shape(cache.GetFace(face).hbFont, buf, nullptr, 0);
}

// A run's glyphs in visual order, each with the face it comes from.
struct RunGlyphs {
    std::vector<hb_glyph_info_t> info;
    std::vector<hb_glyph_position_t> pos;
    std::vector<int> face;
    std::vector<char> lacking;  // per character: its cluster has a .notdef glyph

    void Append(const hb_glyph_info_t* i, const hb_glyph_position_t* p, unsigned int count,
                int from) {
        info.insert(info.end(), i, i + count);
        pos.insert(pos.end(), p, p + count);
        face.insert(face.end(), count, from);
    }
};

// Reused from run to run, so that a paint allocates nothing once it has warmed up.
RunGlyphs& runGlyphs() {
    thread_local RunGlyphs glyphs;
    return glyphs;
}

// Marks the characters whose cluster the face drew with a .notdef glyph; returns whether
// there is any. A cluster runs from its first character up to the next cluster's first.
bool markLacking(hb_buffer_t* buf, int length, std::vector<char>& lacking) {
    enum : char { kInside = 0, kPresentStart = 1, kLackingStart = 2 };
    lacking.assign(static_cast<size_t>(length), kInside);
    unsigned int n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    bool any = false;
    for (unsigned int g = 0; g < n; ++g) {
        char& start = lacking[std::min<size_t>(info[g].cluster, lacking.size() - 1)];
        if (info[g].codepoint == 0) {
            start = kLackingStart;
            any = true;
        } else if (start == kInside) {
            start = kPresentStart;
        }
    }
    char state = kPresentStart;
    for (char& c : lacking) {
        if (c != kInside)
            state = c;
        c = state == kLackingStart ? 1 : 0;
    }
    return any;
}

// The run on its own face, where that face lacks no cluster; otherwise each stretch of
// clusters it lacks is shaped again on the other face, with its neighbours as context,
// and takes that face's glyphs where they have fewer .notdefs. So a hyphen or a
// parenthesis the Arabic face lacks comes from another face, and the words around it
// keep theirs.
const RunGlyphs& shapeRun(const ScriptCache& cache, int face, const char16_t* text, int length,
                          const ScriptAnalysis& analysis) {
    hb_buffer_t* buf = cache.HbBuffer();
    shapeWith(cache, buf, face, text, length, 0, length, analysis);
    unsigned int n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, nullptr);
    RunGlyphs& out = runGlyphs();
    out.info.clear();
    out.pos.clear();
    out.face.clear();
    const int other = markLacking(buf, length, out.lacking) ? cache.FallbackFor(face) : -1;
    if (other < 0) {
        out.Append(info, pos, n, face);
        return out;
    }
    hb_buffer_t* otherBuf = cache.FallbackBuffer();
    unsigned int g = 0;
    while (g < n) {
        const auto c = static_cast<int>(std::min<unsigned int>(info[g].cluster, length - 1));
        if (!out.lacking[static_cast<size_t>(c)]) {
            out.Append(info + g, pos + g, 1, face);
            ++g;
            continue;
        }
        int first = c;
        int end = c + 1;
        while (first > 0 && out.lacking[static_cast<size_t>(first - 1)])
            --first;
        while (end < length && out.lacking[static_cast<size_t>(end)])
            ++end;
        // The stretch's glyphs lie side by side: clusters are monotone in visual order.
        unsigned int stretchEnd = g;
        unsigned int notdefs = 0;
        while (stretchEnd < n && static_cast<int>(info[stretchEnd].cluster) >= first &&
               static_cast<int>(info[stretchEnd].cluster) < end) {
            notdefs += info[stretchEnd].codepoint == 0 ? 1 : 0;
            ++stretchEnd;
        }
        shapeWith(cache, otherBuf, other, text, length, first, end - first, analysis);
        unsigned int otherN = 0;
        const hb_glyph_info_t* otherInfo = hb_buffer_get_glyph_infos(otherBuf, &otherN);
        unsigned int otherNotdefs = 0;
        for (unsigned int k = 0; k < otherN; ++k)
            otherNotdefs += otherInfo[k].codepoint == 0 ? 1 : 0;
        if (otherNotdefs < notdefs)
            out.Append(otherInfo, hb_buffer_get_glyph_positions(otherBuf, nullptr), otherN, other);
        else
            out.Append(info + g, pos + g, stretchEnd - g, face);
        g = stretchEnd;
    }
    return out;
}

}  // namespace

bool ScriptShaper::Shape(const ScriptCache& cache, const char16_t* text, int length, int maxGlyphs,
                         const ScriptAnalysis& analysis, uint32_t* glyphs, int* clusterMap,
                         ScriptVisAttr* visualAttributes, int* advances, GlyphOffset* offsets,
                         int* glyphCount, int* width, int* faces) {
    *glyphCount = 0;
    *width = 0;
    if (cache.IsEmpty() || text == nullptr || length <= 0)
        return false;
    const RunGlyphs& shaped =
        shapeRun(cache, cache.FaceFor(analysis.script), text, length, analysis);
    const auto n = static_cast<unsigned int>(shaped.info.size());
    if (n == 0 || static_cast<int>(n) > maxGlyphs)
        return false;

    // Each character's cluster is the nearest cluster value at or before it; its entry is
    // the lowest glyph index of that cluster (clusters are contiguous in HarfBuzz's
    // default, monotone cluster level).
    std::fill_n(clusterMap, length, -1);
    int total = 0;
    for (unsigned int g = 0; g < n; ++g) {
        const hb_glyph_info_t& info = shaped.info[g];
        const hb_glyph_position_t& pos = shaped.pos[g];
        glyphs[g] = info.codepoint;
        faces[g] = shaped.face[g];
        advances[g] = toPixels(pos.x_advance);
        offsets[g] = GlyphOffset{toPixels(pos.x_offset), -toPixels(pos.y_offset)};
        total += advances[g];
        const auto c = static_cast<int>(
            std::min<unsigned int>(info.cluster, static_cast<unsigned int>(length - 1)));
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

bool ScriptShaper::TextOut(QPainter& dc, const ScriptCache& cache, const int* faces, int x, int y,
                           bool alignRight, const uint32_t* glyphs, int glyphCount,
                           const int* advances, const GlyphOffset* offsets, QPointF* positions) {
    if (cache.IsEmpty() || glyphCount <= 0)
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
    // One glyph run for each stretch of glyphs from one face.
    int first = 0;
    while (first < glyphCount) {
        int end = first + 1;
        while (end < glyphCount && faces[end] == faces[first])
            ++end;
        if (faces[first] < 0)
            return false;
        QGlyphRun run;
        run.setRawFont(cache.GetFace(faces[first]).rawFont);
        run.setRawData(glyphs + first, positions + first, end - first);
        dc.drawGlyphRun(QPointF(0, 0), run);
        first = end;
    }
    return true;
}

}  // namespace script
