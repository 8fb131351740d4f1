#include "engine/GifParts.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vips/vips8>

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

constexpr char kTrailer = 0x3B;
// The palette index the canvas's painting frames leave unpainted.
constexpr int kUnpainted = 255;

qint64 colourTableBytes(uchar flags) {
    return (flags & 0x80) ? qint64(3) << ((flags & 7) + 1) : 0;
}

// Where a GIF's blocks lie: the part every GIF of its frames begins with, and where each whole
// frame ends (its extensions, descriptor, colours and image data lie between two ends).
struct GifBlocks {
    qint64 screenEnd = 0;
    std::vector<qint64> frameEnds;
};

// A GIF held in memory, byte by byte.
class BytesInMemory {
public:
    explicit BytesInMemory(const QByteArray& gif)
        : data_(reinterpret_cast<const uchar*>(gif.constData())), size_(gif.size()) {}
    qint64 size() const { return size_; }
    uchar at(qint64 i) { return data_[i]; }
    QByteArray range(qint64 from, qint64 length) const {
        return QByteArray(reinterpret_cast<const char*>(data_) + from, qsizetype(length));
    }

private:
    const uchar* data_;
    qint64 size_;
};

// A GIF read from a device front to back through a window of at most window bytes: a file of
// thousands of frames is counted without being held, nor mapped, whole.
class BytesThroughWindow {
public:
    BytesThroughWindow(QIODevice& device, qint64 window)
        : device_(device), size_(device.size()),
          window_(size_t(std::clamp<qint64>(window, 16, std::max<qint64>(16, size_)))) {}
    qint64 size() const { return size_; }
    // A byte the device cannot give reads as a trailer, which ends the walk.
    uchar at(qint64 i) {
        if (i < start_ || i >= start_ + filled_) {
            filled_ = 0;
            start_ = i;
            if (device_.seek(i)) {
                const qint64 got =
                    device_.read(reinterpret_cast<char*>(window_.data()), qint64(window_.size()));
                filled_ = std::max<qint64>(0, got);
            }
            if (filled_ == 0)
                return uchar(kTrailer);
        }
        return window_[size_t(i - start_)];
    }
    // Short where the device gave less, as a file cut since it was counted.
    QByteArray range(qint64 from, qint64 length) const {
        return device_.seek(from) ? device_.read(length) : QByteArray();
    }

private:
    QIODevice& device_;
    qint64 size_;
    std::vector<uchar> window_;
    qint64 start_ = 0;
    qint64 filled_ = 0;
};

template <typename Bytes> std::optional<GifBlocks> blocksOf(Bytes& gif) {
    const qint64 size = gif.size();
    if (size < 13 || gif.at(0) != 'G' || gif.at(1) != 'I' || gif.at(2) != 'F')
        return std::nullopt;
    GifBlocks blocks;
    qint64 at = 13 + colourTableBytes(gif.at(10));
    blocks.screenEnd = at;
    const auto subBlocksEnd = [&] {
        while (at < size) {
            const uchar length = gif.at(at++);
            if (length == 0)
                return true;
            at += length;
        }
        return false;
    };
    while (at < size) {
        const uchar kind = gif.at(at++);
        if (kind == 0x21) {
            ++at;
            if (!subBlocksEnd())
                break;
        } else if (kind == 0x2C && at + 10 <= size) {
            at += 9 + colourTableBytes(gif.at(at + 8)) + 1;
            if (!subBlocksEnd())
                break;
            blocks.frameEnds.push_back(at);
        } else {
            break;
        }
    }
    return blocks;
}

std::optional<GifBlocks> blocksOf(const QByteArray& gif) {
    BytesInMemory bytes(gif);
    return blocksOf(bytes);
}

void appendWord(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// indices as GIF image data of literal codes only, a clear code before the table would make
// the codes wider: larger than LZW can make it, but plain to write.
void appendImageData(QByteArray& out, const std::vector<uchar>& indices) {
    constexpr int kMinimumCodeSize = 8;
    constexpr int kClearCode = 1 << kMinimumCodeSize;
    constexpr int kCodeBits = kMinimumCodeSize + 1;
    constexpr size_t kLiteralsPerClear = kClearCode - 3;
    QByteArray codes;
    quint32 bits = 0;
    int pending = 0;
    const auto put = [&](int code) {
        bits |= quint32(code) << pending;
        for (pending += kCodeBits; pending >= 8; pending -= 8, bits >>= 8)
            codes.append(char(bits & 0xFF));
    };
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % kLiteralsPerClear == 0)
            put(kClearCode);
        put(indices[i]);
    }
    put(kClearCode + 1);
    if (pending > 0)
        codes.append(char(bits & 0xFF));
    out.append(char(kMinimumCodeSize));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const qsizetype length = std::min<qsizetype>(255, codes.size() - at);
        out.append(char(length));
        out.append(codes.constData() + at, length);
    }
    out.append('\0');
}

// A frame shown for no time and left in place, whose pixels of index kUnpainted leave the canvas
// be.
void appendStillFrame(QByteArray& out, int left, int top, int width, int height,
                      const std::vector<quint32>& palette, const std::vector<uchar>& indices) {
    out.append("\x21\xF9\x04\x05\x00\x00", 6);
    out.append(char(kUnpainted));
    out.append('\0');
    out.append(char(0x2C));
    for (const int value : {left, top, width, height})
        appendWord(out, value);
    out.append(char(0x87)); // a local table of 256 colours
    for (int i = 0; i < 256; ++i) {
        const quint32 rgb = i < int(palette.size()) ? palette[size_t(i)] : 0;
        out.append(char(rgb >> 16)).append(char(rgb >> 8)).append(char(rgb));
    }
    appendImageData(out, indices);
}

// The canvas as 8-bit RGBA, row after row, in the block libvips wrote it to.
struct Canvas {
    int width = 0;
    int height = 0;
    std::unique_ptr<void, decltype(&g_free)> block{nullptr, g_free};

    const uchar* at(int x, int y) const {
        return static_cast<const uchar*>(block.get()) + (size_t(y) * width + x) * 4;
    }
    bool painted(int x, int y) const { return at(x, y)[3] != 0; }
    quint32 rgb(int x, int y) const {
        const uchar* p = at(x, y);
        return quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2];
    }
};

// Colours of a rectangle of the canvas, while they fit a palette beside kUnpainted.
class Palette {
public:
    // Takes the painted colours of row y from x0 to x1; false, taking none, if they do not fit.
    bool take(const Canvas& canvas, int y, int x0, int x1) {
        std::vector<quint32> added;
        for (int x = x0; x < x1; ++x) {
            if (!canvas.painted(x, y))
                continue;
            const quint32 rgb = canvas.rgb(x, y);
            if (index_.count(rgb))
                continue;
            if (index_.size() == size_t(kUnpainted)) {
                for (const quint32 colour : added)
                    index_.erase(colour);
                colours_.resize(colours_.size() - added.size());
                return false;
            }
            index_.emplace(rgb, uchar(colours_.size()));
            colours_.push_back(rgb);
            added.push_back(rgb);
        }
        return true;
    }
    bool empty() const { return colours_.empty(); }
    const std::vector<quint32>& colours() const { return colours_; }

    std::vector<uchar> indices(const Canvas& canvas, int x0, int y0, int x1, int y1) const {
        std::vector<uchar> out;
        out.reserve(size_t(x1 - x0) * (y1 - y0));
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                out.push_back(canvas.painted(x, y) ? index_.at(canvas.rgb(x, y))
                                                   : uchar(kUnpainted));
        }
        return out;
    }

private:
    std::unordered_map<quint32, uchar> index_;
    std::vector<quint32> colours_;
};

// Frames painting canvas over a cleared one: bands of whole rows of at most 255 colours, a row
// of more in pieces. Returns how many, or nothing once more than mostFrames would be needed.
std::optional<int> appendPainting(QByteArray& out, const Canvas& canvas, int mostFrames) {
    int frames = 0;
    const auto emit = [&](const Palette& palette, int x0, int y0, int x1, int y1) {
        if (palette.empty() || frames > mostFrames)
            return;
        appendStillFrame(out, x0, y0, x1 - x0, y1 - y0, palette.colours(),
                         palette.indices(canvas, x0, y0, x1, y1));
        ++frames;
    };
    for (int y0 = 0; y0 < canvas.height && frames <= mostFrames;) {
        Palette band;
        int y1 = y0;
        while (y1 < canvas.height && band.take(canvas, y1, 0, canvas.width))
            ++y1;
        if (y1 > y0) {
            emit(band, 0, y0, canvas.width, y1);
            y0 = y1;
            continue;
        }
        for (int x0 = 0; x0 < canvas.width && frames <= mostFrames;) {
            Palette piece;
            int x1 = x0;
            while (x1 < canvas.width && piece.take(canvas, y0, x1, x1 + 1))
                ++x1;
            emit(piece, x0, y0, x1, y0 + 1);
            x0 = x1;
        }
        ++y0;
    }
    if (frames > mostFrames)
        return std::nullopt;
    return frames;
}

// The canvas as the frames of part leave it for the next: a last, empty frame added for a
// moment (to the part itself, which may be most of a long file, rather than to a copy), decoded.
Canvas canvasAfter(GifPart& part) {
    const qsizetype size = part.bytes.size();
    part.bytes.chop(1);
    appendStillFrame(part.bytes, 0, 0, 1, 1, {}, {uchar(kUnpainted)});
    part.bytes.append(kTrailer);
    const auto restore = [&] {
        part.bytes.truncate(size - 1);
        part.bytes.append(kTrailer);
    };
    try {
        VImage page = VImage::new_from_buffer(
            part.bytes.constData(), size_t(part.bytes.size()), "",
            VImage::option()->set("page", part.firstPage + part.pages)->set("n", 1));
        if (page.bands() < 3)
            page = page.colourspace(VIPS_INTERPRETATION_sRGB);
        if (!page.has_alpha())
            page = page.bandjoin_const({255});
        page = page.cast(VIPS_FORMAT_UCHAR);
        size_t bytes = 0;
        Canvas canvas{page.width(), page.height(), {page.write_to_memory(&bytes), g_free}};
        if (bytes != size_t(canvas.width) * canvas.height * 4)
            throw VError("the canvas came out in another layout");
        page = VImage();
        restore();
        return canvas;
    } catch (const VError&) {
        restore();
        throw;
    }
}

} // namespace

int gifFramesIn(const QByteArray& gif) {
    const std::optional<GifBlocks> blocks = blocksOf(gif);
    return blocks ? int(blocks->frameEnds.size()) : 0;
}

int gifFramesIn(QIODevice& gif, qint64 window) {
    if (!gif.isOpen() || gif.isSequential())
        return 0;
    BytesThroughWindow bytes(gif, window);
    const std::optional<GifBlocks> blocks = blocksOf(bytes);
    return blocks ? int(blocks->frameEnds.size()) : 0;
}

int gifFramesInFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    // Unbuffered: the window is the only copy of the file's bytes.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || file.size() <= 0)
        return 0;
    return gifFramesIn(file);
}

namespace {

template <typename Bytes> std::optional<std::vector<GifPart>> partsOf(Bytes& gif, int mostPages) {
    const std::optional<GifBlocks> blocks = blocksOf(gif);
    if (!blocks || blocks->frameEnds.empty() || mostPages < 4)
        return std::nullopt;
    const std::vector<qint64>& ends = blocks->frameEnds;
    const int frames = int(ends.size());
    // Each part leaves a page for the probe of the canvas it hands on.
    const int roomInPart = mostPages - 1;
    std::vector<GifPart> parts;
    int next = std::min(frames, roomInPart);
    QByteArray first = gif.range(0, ends[size_t(next - 1)]);
    if (first.size() != ends[size_t(next - 1)])
        return std::nullopt;
    parts.push_back({std::move(first.append(kTrailer)), 0, next});
    const QByteArray screen = gif.range(0, blocks->screenEnd);
    while (next < frames) {
        QByteArray bytes = screen;
        // A canvas of too many colours would leave most of a part to painting it.
        const std::optional<int> painted =
            appendPainting(bytes, canvasAfter(parts.back()), roomInPart / 2);
        if (!painted)
            return std::nullopt;
        const int painting = *painted;
        const int taken = std::min(frames - next, roomInPart - painting);
        const qint64 from = ends[size_t(next - 1)];
        const QByteArray own = gif.range(from, ends[size_t(next + taken - 1)] - from);
        if (own.size() != ends[size_t(next + taken - 1)] - from)
            return std::nullopt;
        bytes.append(own).append(kTrailer);
        parts.push_back({std::move(bytes), painting, taken});
        next += taken;
    }
    return parts;
}

} // namespace

std::optional<std::vector<GifPart>> gifParts(const QByteArray& gif, int mostPages) {
    BytesInMemory bytes(gif);
    return partsOf(bytes, mostPages);
}

std::optional<std::vector<GifPart>> gifPartsOfFile(const std::string& path, int mostPages) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || file.size() <= 0)
        return std::nullopt;
    BytesThroughWindow bytes(file, kGifReadWindow);
    return partsOf(bytes, mostPages);
}

vips::VSource gifPartSource(GifPart&& part) {
    // The blob owns the part's bytes (VipsArea's client is ours to use): the bytes of a long
    // GIF are held once, not once more as a copy for libvips.
    auto bytes = std::make_unique<QByteArray>(std::move(part.bytes));
    VipsBlob* blob = vips_blob_new(
        [](void*, void* area) {
            delete static_cast<QByteArray*>(static_cast<VipsArea*>(area)->client);
            return 0;
        },
        bytes->constData(), size_t(bytes->size()));
    VIPS_AREA(blob)->client = bytes.release();
    vips::VSource source = vips::VSource::new_from_blob(blob);
    vips_area_unref(VIPS_AREA(blob));
    return source;
}

} // namespace quillmorph
