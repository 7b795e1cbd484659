#include "script/ScriptCache.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QPaintDevice>
#include <QStringList>

#include <hb-ot.h>
#include <hb.h>
#include <unicode/uscript.h>

namespace script {

namespace {

// HarfBuzz asks for the font's tables one by one; they come from the QRawFont that Qt
// draws with, so glyph ids agree. Each blob keeps its own copy of the table alive.
hb_blob_t* referenceTable(hb_face_t* /*face*/, hb_tag_t tag, void* userData) {
    const auto* raw = static_cast<const QRawFont*>(userData);
    const char name[5] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16),
                          static_cast<char>(tag >> 8), static_cast<char>(tag), '\0'};
    QByteArray table = raw->fontTable(name);
    if (table.isEmpty())
        return hb_blob_get_empty();
    auto* kept = new QByteArray(std::move(table));
    return hb_blob_create(kept->constData(), static_cast<unsigned int>(kept->size()),
                          HB_MEMORY_MODE_READONLY, kept,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

hb_font_t* makeHbFont(const QRawFont& raw, qreal pixelSize) {
    hb_face_t* face = hb_face_create_for_tables(referenceTable, new QRawFont(raw),
                                                [](void* p) { delete static_cast<QRawFont*>(p); });
    hb_font_t* hb = hb_font_create(face);
    hb_face_destroy(face);
    if (hb_face_get_glyph_count(hb_font_get_face(hb)) == 0) {
        hb_font_destroy(hb);
        return nullptr;
    }
    hb_ot_font_set_funcs(hb);
    // Positions in 26.6 fixed-point pixels.
    const int scale = qRound(pixelSize * 64.0);
    hb_font_set_scale(hb, scale, scale);
    const auto ppem = static_cast<unsigned int>(qRound(pixelSize));
    hb_font_set_ppem(hb, ppem, ppem);
    return hb;
}

QFontDatabase::WritingSystem writingSystemOf(int script) {
    switch (static_cast<UScriptCode>(script)) {
        case USCRIPT_LATIN:
            return QFontDatabase::Latin;
        case USCRIPT_GREEK:
            return QFontDatabase::Greek;
        case USCRIPT_CYRILLIC:
            return QFontDatabase::Cyrillic;
        case USCRIPT_HEBREW:
            return QFontDatabase::Hebrew;
        default:
            // Arabic, and the digits, spaces and punctuation between Arabic words.
            return QFontDatabase::Arabic;
    }
}

}  // namespace

ScriptCache::ScriptCache() = default;

ScriptCache::~ScriptCache() {
    Reset();
}

bool ScriptCache::Create(const QFont& newFont, const QPaintDevice* device) {
    Reset();
    // The pixel size the painter uses on this device.
    qreal size = newFont.pixelSize() > 0 ? newFont.pixelSize() : 0.0;
    if (size <= 0.0) {
        const int dpi = device != nullptr ? device->logicalDpiY() : 96;
        size = newFont.pointSizeF() * dpi / 72.0;
    }
    if (size <= 0.0)
        return false;
    font = newFont;
    pixelSize = size;
    if (FaceForWritingSystem(QFontDatabase::Arabic) != 0) {
        Reset();
        return false;
    }
    hbBuffer = hb_buffer_create();
    hbFallbackBuffer = hb_buffer_create();
    const QRawFont& raw = faces.front().rawFont;
    ascent = qRound(raw.ascent());
    height = ascent + qRound(raw.descent());
    return true;
}

void ScriptCache::Reset() {
    if (hbBuffer != nullptr)
        hb_buffer_destroy(hbBuffer);
    hbBuffer = nullptr;
    if (hbFallbackBuffer != nullptr)
        hb_buffer_destroy(hbFallbackBuffer);
    hbFallbackBuffer = nullptr;
    for (Face& face : faces) {
        if (face.hbFont != nullptr)
            hb_font_destroy(face.hbFont);
    }
    faces.clear();
    pixelSize = 0;
    ascent = 0;
    height = 0;
}

int ScriptCache::FaceFor(int script) const {
    if (faces.empty())
        return -1;
    const int face = FaceForWritingSystem(writingSystemOf(script));
    return face >= 0 ? face : 0;  // face 0 is always usable
}

int ScriptCache::FallbackFor(int face) const {
    if (faces.empty())
        return -1;
    // Arabic text lacking a glyph tries the Latin face, anything else the Arabic one.
    if (face != 0)
        return 0;
    const int latin = FaceForWritingSystem(QFontDatabase::Latin);
    return latin > 0 ? latin : -1;
}

int ScriptCache::FaceForWritingSystem(int writingSystem) const {
    for (size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].writingSystem == writingSystem)
            return faces[i].hbFont != nullptr ? static_cast<int>(i) : -1;
    }
    if (pixelSize <= 0)
        return -1;
    const auto system = static_cast<QFontDatabase::WritingSystem>(writingSystem);
    QRawFont raw = QRawFont::fromFont(font, system);
    if (writingSystem != QFontDatabase::Arabic) {
        // For Latin and the like Qt hands back the font's first family, whatever it
        // covers: take the first family of the font that has the writing system, else
        // the desktop's general font.
        QStringList families = font.families();
        if (families.isEmpty())
            families.append(font.family());
        QString chosen = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        for (const QString& family : families) {
            if (QFontDatabase::writingSystems(family).contains(system)) {
                chosen = family;
                break;
            }
        }
        QFont face(font);
        face.setFamilies({chosen});
        raw = QRawFont::fromFont(face, system);
    }
    hb_font_t* hb = nullptr;
    if (raw.isValid()) {
        raw.setPixelSize(pixelSize);
        if (raw.isValid())
            hb = makeHbFont(raw, pixelSize);
    }
    // A writing system without a usable face is remembered too, so it is asked only once.
    faces.push_back(Face{writingSystem, hb != nullptr ? raw : QRawFont(), hb});
    return hb != nullptr ? static_cast<int>(faces.size() - 1) : -1;
}

}  // namespace script
