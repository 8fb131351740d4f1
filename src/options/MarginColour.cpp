#include "options/MarginColour.h"

namespace quillmorph {

QColor colourFromBgr(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 bgrFromColour(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

quint32 complementColour(quint32 bgr) {
    const quint32 red = 255 - (bgr & 0xFF);
    const quint32 green = 255 - ((bgr / 256) & 0xFF);
    const quint32 blue = 255 - ((bgr / 65536) & 0xFF);
    return red | green << 8 | blue << 16;
}

} // namespace quillmorph
