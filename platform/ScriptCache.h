#pragma once

#include <QRawFont>

#include <memory>

class QFont;
class QPaintDevice;
struct hb_font_t;
struct hb_buffer_t;

namespace platform {

// The shaping cache for one font (SCRIPT_CACHE): the very font data Qt draws Arabic with,
// as a QRawFont at the device's pixel size, and a HarfBuzz font built on its tables, so the
// glyph ids HarfBuzz gives are the ones QRawFont draws.
class ScriptCache {
public:
    ScriptCache();
    ~ScriptCache();
    ScriptCache(const ScriptCache&) = delete;
    ScriptCache& operator=(const ScriptCache&) = delete;

    // Builds the cache for font as drawn on device; false if Qt has no usable face.
    bool Create(const QFont& font, const QPaintDevice* device);
    void Reset();
    bool IsEmpty() const { return hbFont == nullptr; }

    // ScriptCacheGetHeight: ascent + descent in whole pixels.
    int Height() const { return height; }
    int Ascent() const { return ascent; }

    const QRawFont& RawFont() const { return rawFont; }
    hb_font_t* HbFont() const { return hbFont; }
    hb_buffer_t* HbBuffer() const { return hbBuffer; }

private:
    QRawFont rawFont;
    hb_font_t* hbFont = nullptr;
    hb_buffer_t* hbBuffer = nullptr;
    int ascent = 0;
    int height = 0;
};

}  // namespace platform
