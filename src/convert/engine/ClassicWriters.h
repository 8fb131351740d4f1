#pragma once

#include <vips/vips8>

namespace quillmorph {

// Writers of our own for the three old formats, laid out byte for byte as ImageMagick writes
// them (24 bits a pixel, no resolution): for a libvips without ImageMagick. Each takes an
// 8-bit image of three bands (sRGB) or one (grey), writes it into target and ends it. Throw
// vips::VError when the pixels cannot be computed or the target not written.

// A Windows bitmap: BITMAPINFOHEADER, BGR rows bottom to top, each padded to four bytes.
void writeBmp(const vips::VImage& rgb8, const vips::VTarget& target);

// A version 2 Macintosh PICT: one DirectBitsRect of 32-bit pixels, rows PackBits-packed as
// red, green and blue planes.
void writePict(const vips::VImage& rgb8, const vips::VTarget& target);

// A Sun raster of the RGB kind: RGB rows top to bottom, each padded to two bytes.
void writeSunRaster(const vips::VImage& rgb8, const vips::VTarget& target);

} // namespace quillmorph
