#pragma once

#include <cstdint>

// Plain records of our script layer, in place of Uniscribe's SCRIPT_* structures.
namespace script {

// Itemizing defaults (SCRIPT_CONTROL).
struct ScriptControl {
    uint16_t defaultLanguage = 0;  // primary language id; 0x0001 is Arabic
};

// Paragraph state for itemizing (SCRIPT_STATE).
struct ScriptState {
    uint8_t bidiLevel = 0;  // 5 bits in Uniscribe; the paragraph's base level
    bool digitSubstitute = false;
    bool arabicNumContext = false;
};

// What one item is (SCRIPT_ANALYSIS with its embedded state).
struct ScriptAnalysis {
    int script = 0;     // UScriptCode of the run
    ScriptState state;  // state.bidiLevel is the run's embedding level
    uint16_t language = 0;
};

// One item of an itemized paragraph (SCRIPT_ITEM).
struct ScriptItem {
    int charPos = 0;
    ScriptAnalysis a;
};

// Per-glyph attributes (SCRIPT_VISATTR).
struct ScriptVisAttr {
    bool clusterStart = false;
    bool zeroWidth = false;
};

// Per-glyph offset from its pen position, y downwards (GOFFSET).
struct GlyphOffset {
    int du = 0;
    int dv = 0;
};

// Per-character break attributes (SCRIPT_LOGATTR).
struct ScriptLogAttr {
    bool softBreak = false;  // a line may break before this character
    bool whiteSpace = false;
};

}  // namespace script
