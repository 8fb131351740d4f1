// Build-time tool of the Windows build: the program's icon as one multi-size .ico for the
// programs' resources, the installer and the uninstall entry, and the installer's side panel,
//   quillmorph_make_icon OUT.ico SIZE...
//   quillmorph_make_icon --panel OUT.bmp
// Sizes below 256 are 32-bit bitmaps (with the AND mask older readers want), 256 is a PNG, as
// Explorer expects them. Drawn by the same code as the window's icon.
#include "AppIcon.h"

#include <QBuffer>
#include <QSaveFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>
#include <QtEndian>

#include <optional>
#include <vector>

namespace {

constexpr int kPngFrom = 256;

void put16(QByteArray& out, quint16 value) {
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 2);
}

void put32(QByteArray& out, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

// A BITMAPINFOHEADER, the colours bottom-up as BGRA (not premultiplied), then the AND mask
// (1 = transparent), each row padded to 4 bytes.
QByteArray bitmapEntry(const QImage& drawn) {
    const QImage image = drawn.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskRow = ((size + 31) / 32) * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, static_cast<quint32>(size));
    put32(out, static_cast<quint32>(2 * size)); // the colours and the mask, stacked
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, static_cast<quint32>(size * size * 4 + maskRow * size));
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            put32(out, line[x]);
    }
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            if (qAlpha(line[x]) == 0)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

std::optional<QByteArray> pngEntry(const QImage& drawn) {
    QByteArray out;
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly) || !drawn.save(&buffer, "PNG"))
        return std::nullopt;
    return out;
}

std::optional<QByteArray> iconFile(const std::vector<int>& sizes) {
    std::vector<QByteArray> entries;
    for (const int size : sizes) {
        const QImage drawn = quillmorph::drawAppIcon(size);
        const std::optional<QByteArray> entry =
            size >= kPngFrom ? pngEntry(drawn) : std::optional(bitmapEntry(drawn));
        if (!entry)
            return std::nullopt;
        entries.push_back(*entry);
    }
    QByteArray out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, static_cast<quint16>(entries.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int size = sizes[i];
        out.append(static_cast<char>(size >= 256 ? 0 : size)); // 0 stands for 256
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append(2, '\0'); // no palette
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<quint32>(entries[i].size()));
        put32(out, offset);
        offset += static_cast<quint32>(entries[i].size());
    }
    for (const QByteArray& entry : entries)
        out.append(entry);
    return out;
}

// The welcome and finish pages' left panel (164x314, as NSIS lays it out): the icon on white.
bool writePanel(const QString& file) {
    QImage panel(164, 314, QImage::Format_RGB32);
    panel.fill(Qt::white);
    QPainter p(&panel);
    p.drawImage(18, 40, quillmorph::drawAppIcon(128));
    p.end();
    return panel.save(file, "BMP");
}

} // namespace

int main(int argc, char** argv) {
    const QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        QTextStream(stderr) << "usage: quillmorph_make_icon OUT.ico SIZE... | --panel OUT.bmp\n";
        return 2;
    }
    if (arguments.at(1) == QLatin1String("--panel")) {
        if (writePanel(arguments.at(2)))
            return 0;
        QTextStream(stderr) << "cannot write " << arguments.at(2) << '\n';
        return 1;
    }
    std::vector<int> sizes;
    for (const QString& sizeText : arguments.mid(2)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 256) {
            QTextStream(stderr) << "not an icon size: " << sizeText << '\n';
            return 2;
        }
        sizes.push_back(size);
    }
    const std::optional<QByteArray> icon = iconFile(sizes);
    QSaveFile file(arguments.at(1));
    if (!icon || !file.open(QIODevice::WriteOnly) || file.write(*icon) != icon->size() ||
        !file.commit()) {
        QTextStream(stderr) << "cannot write " << arguments.at(1) << '\n';
        return 1;
    }
    return 0;
}
