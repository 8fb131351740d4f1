#include "Bombs.h"

namespace quillmorph::test {

namespace {

QByteArray little16(int value) {
    QByteArray bytes;
    bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    return bytes;
}

} // namespace

QByteArray gifDeclaring(int width, int height) {
    const QByteArray size = little16(width) + little16(height);
    // Header, screen (no colour table), one image descriptor, LZW code size 2 and a block
    // holding only clear and end codes, trailer.
    return QByteArray("GIF89a") + size + QByteArray("\x00\x00\x00", 3) +
           QByteArray("\x2c\x00\x00\x00\x00", 5) + size + QByteArray("\x00\x02\x02\x4c\x01\x00\x3b", 7);
}

} // namespace quillmorph::test
