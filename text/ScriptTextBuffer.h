#pragma once

#include <QPointF>

#include <cstdint>
#include <string>
#include <vector>

#include "script/ScriptTypes.h"

// The text of one layout object and the scratch arrays its own path works in.
// The arrays are sized by the longest text seen and never shrink, so a paint allocates
// nothing but its run nodes.
class ScriptTextBuffer {
public:
    // Takes a code page 1256 text; grows the arrays when it is longer than any before.
    void SetText(const std::string& newText);

    bool changed = false;
    std::string text;
    std::vector<char16_t> wideText;  // capacity + 1 units, NUL-terminated
    int length = 0;
    int capacity = 0;
    int maxGlyphs = 0;
    std::vector<uint32_t> glyphs;
    std::vector<int> glyphFaces;  // per glyph: the face of the shaping cache it comes from
    std::vector<int> clusterMap;  // per character; int, so 100,000 glyphs fit
    std::vector<script::ScriptVisAttr> visualAttributes;
    std::vector<int> advances;
    std::vector<script::GlyphOffset> glyphOffsets;
    std::vector<script::ScriptItem> items;
    int maxItems = 0;
    std::vector<script::ScriptLogAttr> logicalAttributes;
    std::vector<int> logicalWidths;
    // Added for glyph output: the pen positions handed to QGlyphRun without a copy.
    std::vector<QPointF> glyphPositions;

private:
    void Allocate();
};
