#pragma once

#include <QFont>
#include <QRawFont>

#include <vector>

class QPaintDevice;
struct hb_font_t;
struct hb_buffer_t;

namespace script {

// The shaping cache for one font (SCRIPT_CACHE): the very font data Qt draws with, as
// QRawFonts at the device's pixel size, and HarfBuzz fonts built on their tables, so the
// glyph ids HarfBuzz gives are the ones QRawFont draws. Face 0 is the face Qt picks for
// Arabic; faces for other writing systems (Latin words in a phrase) are made when a run
// first needs one.
class ScriptCache {
public:
    struct Face {
        int writingSystem = 0;  // QFontDatabase::WritingSystem
        QRawFont rawFont;
        hb_font_t* hbFont = nullptr;
    };

    ScriptCache();
    ~ScriptCache();
    ScriptCache(const ScriptCache&) = delete;
    ScriptCache& operator=(const ScriptCache&) = delete;

    // Builds the cache for font as drawn on device; false if Qt has no usable face.
    bool Create(const QFont& font, const QPaintDevice* device);
    void Reset();
    bool IsEmpty() const { return faces.empty(); }

    // ScriptCacheGetHeight: ascent + descent of the Arabic face in whole pixels.
    int Height() const { return height; }
    int Ascent() const { return ascent; }

    // The face for a run of the given UScriptCode, and the one to try when that face
    // lacks some of the run's characters (-1: none).
    int FaceFor(int script) const;
    int FallbackFor(int face) const;
    const Face& GetFace(int index) const { return faces[static_cast<size_t>(index)]; }
    hb_buffer_t* HbBuffer() const { return hbBuffer; }
    // A second buffer, for what the first face lacks while the first buffer is in use.
    hb_buffer_t* FallbackBuffer() const { return hbFallbackBuffer; }

private:
    int FaceForWritingSystem(int writingSystem) const;

    QFont font;
    qreal pixelSize = 0;
    // Faces are added while shaping, which the layout does through a const cache.
    mutable std::vector<Face> faces;
    hb_buffer_t* hbBuffer = nullptr;
    hb_buffer_t* hbFallbackBuffer = nullptr;
    int ascent = 0;
    int height = 0;
};

}  // namespace script
