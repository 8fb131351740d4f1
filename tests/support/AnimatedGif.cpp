#include "AnimatedGif.h"

#include <algorithm>

namespace quillmorph::test {

namespace {

void put16(QByteArray& bytes, int value) {
    bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

// Pixels all of one colour in LZW codes of 4 bits (colour tables of 8): a clear code before
// every four pixels keeps the code table from ever growing past that width.
QByteArray lzwOfOneColour(int pixels, int colour) {
    constexpr int kClear = 8;
    constexpr int kEnd = 9;
    QByteArray packed;
    quint32 bits = 0;
    int count = 0;
    const auto code = [&](int value) {
        bits |= quint32(value) << count;
        count += 4;
        while (count >= 8) {
            packed.append(char(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (int i = 0; i < pixels; ++i) {
        if (i % 4 == 0)
            code(kClear);
        code(colour);
    }
    code(kEnd);
    if (count > 0)
        packed.append(char(bits & 0xFF));
    QByteArray blocks;
    blocks.append(char(3)); // the LZW code size
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        blocks.append(char(block.size())).append(block);
    }
    return blocks.append(char(0));
}

} // namespace

QByteArray gifOfPatches(int width, int height, const std::vector<Rgb>& palette,
                        const std::vector<GifPatch>& patches, int loop) {
    QByteArray gif("GIF89a");
    put16(gif, width);
    put16(gif, height);
    gif.append(char(0xF2)).append(char(0)).append(char(0)); // a global table of 8 colours
    for (int i = 0; i < 8; ++i) {
        const Rgb rgb = i < int(palette.size()) ? palette[size_t(i)] : Rgb{0, 0, 0};
        for (const int channel : rgb)
            gif.append(char(channel));
    }
    gif.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    put16(gif, loop);
    gif.append(char(0));
    for (const GifPatch& patch : patches) {
        gif.append("\x21\xF9\x04", 3)
            .append(char(patch.disposal << 2 | (patch.transparent >= 0 ? 1 : 0)));
        put16(gif, patch.delayMs / 10);
        gif.append(char(std::max(0, patch.transparent))).append(char(0));
        gif.append(char(0x2C));
        put16(gif, patch.left);
        put16(gif, patch.top);
        put16(gif, patch.width);
        put16(gif, patch.height);
        gif.append(char(patch.ownRgb >= 0 ? 0x82 : 0));
        for (int i = 0; patch.ownRgb >= 0 && i < 8; ++i)
            gif.append(char(patch.ownRgb >> 16))
                .append(char(patch.ownRgb >> 8))
                .append(char(patch.ownRgb));
        gif.append(lzwOfOneColour(patch.width * patch.height, patch.colour));
    }
    return gif.append(char(0x3B));
}

} // namespace quillmorph::test
