#pragma once

#include "TestImages.h"

#include <QByteArray>
#include <vector>

namespace quillmorph::test {

// One frame of a hand-made GIF: a rectangle in one palette colour over what the frames before
// left, shown for delayMs (in steps of 10), then disposed of as GIF's disposal method says
// (1: left in place, 2: cleared to the background, 3: the picture before it put back).
struct GifPatch {
    int left, top, width, height;
    int colour; // index into the palette
    int delayMs;
    int disposal = 1;
    int transparent = -1; // a palette index this frame declares transparent (-1: none)
    int ownRgb = -1;      // 0xRRGGBB: a colour table of the frame's own, all of it this colour
};

// A GIF89a of width × height whose frames are patches, as the optimisers write them: only the
// first frame covers the picture. palette: at most 8 colours. loop: 0 for forever.
QByteArray gifOfPatches(int width, int height, const std::vector<Rgb>& palette,
                        const std::vector<GifPatch>& patches, int loop);

} // namespace quillmorph::test
