#include "engine/PsdWriter.h"

#include "engine/ByteOrder.h"

#include <QByteArray>
#include <glib.h>
#include <memory>

namespace quillmorph {

namespace {

QByteArray header(int width, int height) {
    QByteArray out("8BPS");
    bytes::appendBig<quint16>(out, 1);    // version
    out.append(6, '\0'); // reserved
    bytes::appendBig<quint16>(out, 3);    // channels
    bytes::appendBig<quint32>(out, quint32(height));
    bytes::appendBig<quint32>(out, quint32(width));
    bytes::appendBig<quint16>(out, 8); // bits per channel
    bytes::appendBig<quint16>(out, 3); // RGB colour mode
    bytes::appendBig<quint32>(out, 0); // colour mode data
    bytes::appendBig<quint32>(out, 0); // image resources
    bytes::appendBig<quint32>(out, 0); // layers and masks
    bytes::appendBig<quint16>(out, 0); // raw image data follows
    return out;
}

} // namespace

void writePsd(const vips::VImage& rgb8, const vips::VTarget& target) {
    const int width = rgb8.width();
    const int height = rgb8.height();
    size_t size = 0;
    const std::unique_ptr<uchar, decltype(&g_free)> pixels(
        static_cast<uchar*>(rgb8.write_to_memory(&size)), &g_free);

    const auto put = [&](const QByteArray& bytes) {
        if (vips_target_write(target.get_target(), bytes.constData(), size_t(bytes.size())) != 0)
            throw vips::VError();
    };
    put(header(width, height));
    // The document stores each channel as a whole plane, one row after another.
    QByteArray row(width, '\0');
    for (int channel = 0; channel < 3; ++channel) {
        for (int y = 0; y < height; ++y) {
            const uchar* src = pixels.get() + (size_t(y) * width * 3) + channel;
            for (int x = 0; x < width; ++x)
                row[x] = char(src[size_t(x) * 3]);
            put(row);
        }
    }
    if (vips_target_end(target.get_target()) != 0)
        throw vips::VError();
}

} // namespace quillmorph
