#pragma once

#include <QByteArray>
#include <QIODevice>
#include <optional>
#include <string>
#include <vector>
#include <vips/vips8>

namespace quillmorph {

// The most frames libvips' GIF loader reads; it drops any beyond with a warning only.
inline constexpr int kGifLoaderFrames = 4097;

// The most bytes of a GIF file held at once while its frames are counted.
inline constexpr qint64 kGifReadWindow = 1 << 20;

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

// Frames in the GIF read from gif (open, not sequential), as above, through a window of at most
// window bytes. Any thread.
int gifFramesIn(QIODevice& gif, qint64 window = kGifReadWindow);

// Frames in the GIF file at path, as gifFramesIn. Any thread.
int gifFramesInFile(const std::string& path);

// gif cut into parts of at most mostPages pages each, so that every frame can be read by a
// loader that stops at mostPages. A part after the first begins with frames painting the canvas
// as the frames before it left it (decoded once, here), since later frames are often patches
// over it. Nothing when gif is no GIF, or when painting that canvas would take so many frames
// that a part has no room for the original's. Throws vips::VError.
std::optional<std::vector<GifPart>> gifParts(const QByteArray& gif,
                                             int mostPages = kGifLoaderFrames);

// gifParts of the GIF file at path, read through it: what is held is the parts, not the file
// as well. Nothing also when the file cannot be read whole. Throws vips::VError.
std::optional<std::vector<GifPart>> gifPartsOfFile(const std::string& path,
                                                   int mostPages = kGifLoaderFrames);

// A libvips source over part's bytes, which it takes without copying them. Any thread.
vips::VSource gifPartSource(GifPart&& part);

} // namespace quillmorph
