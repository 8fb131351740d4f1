#pragma once

#include "files/FilePath.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vips/vips8>

#include <ostream>

// Readable QString values in assertion failures.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace quillmorph::test {

using Rgb = std::array<int, 3>;

// A width × height image in one colour (3 bands, or 4 with the given alpha).
vips::VImage solid(int width, int height, Rgb colour, int alpha = -1);

// A width × height sRGB image of grey noise in three bands: dear to encode, hard to compress.
vips::VImage noise(int width, int height);

// Writes image to path with the saver its suffix selects; returns path.
QString writeImage(const vips::VImage& image, const QString& path);

// Reads a file as the engine's reference loader does (whole file, first page).
vips::VImage readImage(const QString& path);

// The pixel at x, y as 8-bit RGB.
Rgb pixelAt(const vips::VImage& image, int x, int y);

// True when every channel is within tolerance.
bool near(const Rgb& a, const Rgb& b, int tolerance = 8);

// How far apart two sRGB colours look: CIE76 ΔE, about 2.3 for a just noticeable difference.
double colourDistance(const Rgb& a, const Rgb& b);

// Writes text bytes to path; returns path.
QString writeBytes(const QString& path, const QByteArray& bytes);

QByteArray readBytes(const QString& path);

// Text paths as the path type the batch takes.
inline FilePaths paths(const QStringList& texts) {
    return FilePaths(texts.begin(), texts.end());
}

} // namespace quillmorph::test
