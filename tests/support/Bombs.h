#pragma once

#include <QByteArray>

namespace quillmorph::test {

// A GIF of 29 bytes that declares one frame of width × height (each at most 65535) and holds no
// pixel data: decoders allocate the whole frame before they find it empty.
QByteArray gifDeclaring(int width, int height);

// An animated WebP of frames frames, each a single pixel, on a canvas of width × height (each at
// most 16383): about 50 bytes a frame, while libvips unpacks every frame at canvas size.
QByteArray webpAnimationDeclaring(int width, int height, int frames);

} // namespace quillmorph::test
