#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

namespace quillmorph {

// The most frames libvips' GIF loader reads; it drops any beyond with a warning only.
inline constexpr int kGifLoaderFrames = 4097;

// One piece of a GIF too long for libvips' loader: a GIF of its own whose pages from firstPage
// on are frames of the original, shown exactly as they are in it.
struct GifPart {
    QByteArray bytes;
    int firstPage = 0; // the pages before only paint the canvas as the original left it
    int pages = 0;
};

// Frames in the GIF bytes, counted from its blocks without decoding: 0 when they are no GIF.
// A file cut short counts the frames it holds whole, as the loader does.
int gifFramesIn(const QByteArray& gif);

// Frames in the GIF file at path, as gifFramesIn. Any thread.
int gifFramesInFile(const std::string& path);

// gif cut into parts of at most mostPages pages each, so that every frame can be read by a
// loader that stops at mostPages. A part after the first begins with frames painting the canvas
// as the frames before it left it (decoded once, here), since later frames are often patches
// over it. Nothing when gif is no GIF, or when painting that canvas would take so many frames
// that a part has no room for the original's. Throws vips::VError.
std::optional<std::vector<GifPart>> gifParts(const QByteArray& gif,
                                             int mostPages = kGifLoaderFrames);

} // namespace quillmorph
