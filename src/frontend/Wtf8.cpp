#include "frontend/CommandLine.h"

namespace quillmorph {

QByteArray toWtf8(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t point = text[i].unicode();
        if (QChar::isHighSurrogate(point) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            point = QChar::surrogateToUcs4(char16_t(point), text[++i].unicode());
        // Qt's own encoder would write '?' for an unpaired surrogate; here it is encoded as the
        // code point it is.
        if (point < 0x80) {
            bytes += char(point);
        } else if (point < 0x800) {
            bytes += char(0xC0 | (point >> 6));
            bytes += char(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            bytes += char(0xE0 | (point >> 12));
            bytes += char(0x80 | ((point >> 6) & 0x3F));
            bytes += char(0x80 | (point & 0x3F));
        } else {
            bytes += char(0xF0 | (point >> 18));
            bytes += char(0x80 | ((point >> 12) & 0x3F));
            bytes += char(0x80 | ((point >> 6) & 0x3F));
            bytes += char(0x80 | (point & 0x3F));
        }
    }
    return bytes;
}

} // namespace quillmorph
