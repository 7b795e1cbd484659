#pragma once

#include <QImage>
#include <QRect>

#include <string>

#include "text/ScriptTextLayout.h"

namespace popuptext {

// Draws a phrase (code page 1256, as the phrase store hands it on) the way the popup draws
// it: the popup's own layout, font and text area at the host's font size, in black on a
// white picture of the skin's size, through the given path.
QImage Draw(const std::string& phrase, CScriptTextLayout::Path path, int fontTenths = 85);
// The popup's text area.
QRect TextArea();
// The bounding box of every pixel that is not white; empty when there is none.
QRect InkBounds(const QImage& image);

}  // namespace popuptext
