#pragma once

#include <QByteArray>

namespace quillmorph::test {

// A GIF of 29 bytes that declares one frame of width × height (each at most 65535) and holds no
// pixel data: decoders allocate the whole frame before they find it empty.
QByteArray gifDeclaring(int width, int height);

} // namespace quillmorph::test
