#include "text/ScriptTextBuffer.h"

#include <algorithm>

#include "script/CodePage1256.h"

void ScriptTextBuffer::SetText(const std::string& newText) {
    changed = true;
    length = static_cast<int>(newText.size());
    if (length > capacity) {
        capacity = length;
        maxGlyphs = 2 * capacity;
        maxItems = capacity + 2;
        Allocate();
    }
    text = newText;
    if (length != 0) {
        // Code page 1256 is single-byte: one UTF-16 unit per byte.
        std::u16string wide = script::CodePage1256::ToUtf16(text);
        const size_t n = std::min(wide.size(), static_cast<size_t>(capacity));
        std::copy_n(wide.begin(), n, wideText.begin());
        wideText[n] = u'\0';
        length = static_cast<int>(n);
    }
}

void ScriptTextBuffer::Allocate() {
    // Fresh arrays of the new size; the old ones are freed, so a longer text never writes past
    // them.
    wideText = std::vector<char16_t>(static_cast<size_t>(capacity) + 1, u'\0');
    glyphs = std::vector<uint32_t>(static_cast<size_t>(maxGlyphs));
    glyphFaces = std::vector<int>(static_cast<size_t>(maxGlyphs));
    clusterMap = std::vector<int>(static_cast<size_t>(maxGlyphs));
    visualAttributes = std::vector<script::ScriptVisAttr>(static_cast<size_t>(maxGlyphs));
    advances = std::vector<int>(static_cast<size_t>(maxGlyphs));
    glyphOffsets = std::vector<script::GlyphOffset>(static_cast<size_t>(maxGlyphs));
    items = std::vector<script::ScriptItem>(static_cast<size_t>(maxItems));
    logicalAttributes = std::vector<script::ScriptLogAttr>(static_cast<size_t>(capacity));
    logicalWidths = std::vector<int>(static_cast<size_t>(capacity));
    glyphPositions = std::vector<QPointF>(static_cast<size_t>(maxGlyphs));
}
