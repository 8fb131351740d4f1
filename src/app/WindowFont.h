#pragma once

#include <QStringList>

namespace quillmorph {

// The font families the window's captions are set in, first choice first: each system's own
// interface font that has Japanese glyphs, then a stand-in. Each system has its own
// implementation file. After the QGuiApplication is made.
QStringList windowFontFamilies();

} // namespace quillmorph
