#include "Bombs.h"

#include <vips/vips8>

namespace quillmorph::test {

namespace {

QByteArray little16(int value) {
    QByteArray bytes;
    bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    return bytes;
}

QByteArray little24(int value) {
    return little16(value & 0xFFFF).append(char((value >> 16) & 0xFF));
}

QByteArray little32(quint32 value) {
    return little16(int(value & 0xFFFF)) + little16(int(value >> 16));
}

QByteArray riffChunk(const char* id, const QByteArray& data) {
    QByteArray chunk = QByteArray(id, 4) + little32(quint32(data.size())) + data;
    return data.size() % 2 != 0 ? chunk.append('\0') : chunk;
}

// A lossless bitstream of one grey pixel, as libwebp writes it.
QByteArray onePixelVp8l() {
    const vips::VImage pixel = (vips::VImage::black(1, 1, vips::VImage::option()->set("bands", 3)) + 128)
                                   .cast(VIPS_FORMAT_UCHAR);
    VipsBlob* blob = pixel.webpsave_buffer(vips::VImage::option()->set("lossless", true)->set("strip", true));
    size_t length = 0;
    const auto* data = static_cast<const char*>(vips_area_get_data(VIPS_AREA(blob), &length, nullptr, nullptr, nullptr));
    const QByteArray file(data, qsizetype(length));
    vips_area_unref(VIPS_AREA(blob));
    const qsizetype at = file.indexOf("VP8L");
    const auto size = qsizetype(quint8(file[at + 4]) | quint8(file[at + 5]) << 8 | quint8(file[at + 6]) << 16);
    return file.mid(at, 8 + size + size % 2);
}

} // namespace

QByteArray webpAnimationDeclaring(int width, int height, int frames) {
    // VP8X with only the animation flag, the canvas less one; ANIM: background, loop forever.
    QByteArray body = QByteArray("WEBP") +
                      riffChunk("VP8X", QByteArray("\x02\0\0\0", 4) + little24(width - 1) + little24(height - 1)) +
                      riffChunk("ANIM", little32(0xFFFFFFFFu) + little16(0));
    // Each frame: at 0, 0, 1 × 1, 100 ms, blended, not disposed.
    const QByteArray frame = riffChunk("ANMF", little24(0) + little24(0) + little24(0) + little24(0) +
                                                   little24(100) + QByteArray(1, '\0') + onePixelVp8l());
    for (int i = 0; i < frames; ++i)
        body += frame;
    return QByteArray("RIFF") + little32(quint32(body.size())) + body;
}

QByteArray gifDeclaring(int width, int height) {
    const QByteArray size = little16(width) + little16(height);
    // Header, screen (no colour table), one image descriptor, LZW code size 2 and a block
    // holding only clear and end codes, trailer.
    return QByteArray("GIF89a") + size + QByteArray("\x00\x00\x00", 3) +
           QByteArray("\x2c\x00\x00\x00\x00", 5) + size + QByteArray("\x00\x02\x02\x4c\x01\x00\x3b", 7);
}

} // namespace quillmorph::test
