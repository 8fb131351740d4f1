#pragma once

#include <QColor>
#include <QtGlobal>

namespace quillmorph {

// A 0x00BBGGRR margin colour as an opaque QColor.
QColor colourFromBgr(quint32 bgr);

// An RGB colour as 0x00BBGGRR; alpha is dropped.
quint32 bgrFromColour(const QColor& colour);

// The text colour that stays readable on a margin colour: each channel is 255 minus the
// margin's (red gives cyan, mid-grey 128 gives 127). Both in 0x00BBGGRR.
quint32 complementColour(quint32 bgr);

} // namespace quillmorph
