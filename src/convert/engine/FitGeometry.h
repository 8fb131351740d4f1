#pragma once

#include <QString>

namespace quillmorph {

// How a picture meets its box when size conversion is on.
enum class FitMode {
    Pad,  // exactly the box: the picture fitted inside, centred on the margin colour
    Fit,  // the picture fitted inside, at its own scaled size, no margin
    Fill, // exactly the box, no margin: the picture covers it and the overflow is cropped
};

// Which part of the picture a fill keeps.
enum class CropAnchor {
    Centre,    // the middle
    Attention, // its busiest part (libvips' attention measure)
};

// Where a scaled image lands in its box, computed in single precision as the batch always has.
struct FitPlan {
    int boxWidth = 0;       // W
    int boxHeight = 0;      // H
    float scale = 0;        // s, the smaller of W/sw and H/sh (H/sh on a tie)
    float scaledWidth = 0;  // nw = s × sw
    float scaledHeight = 0; // nh = s × sh
    float left = 0;         // placement inside the box, whole numbers
    float top = 0;
    float width = 0;
    float height = 0;
};

// A box side taken from an image side (size conversion off): rounded half to even.
int boxSideFromImage(float side);

// Fits sw × sh into W × H. The placement never leaves the box (a scaled side a hair above the
// box is the box side at offset 0) and never shrinks below one pixel. noEnlarge holds the
// scale at 1: a smaller picture keeps its size, centred in the box.
FitPlan planFit(int boxWidth, int boxHeight, float sourceWidth, float sourceHeight,
                bool noEnlarge = false);

// What a picture becomes in the modes without a margin, in whole pixels.
struct ScalePlan {
    double scale = 1;    // source pixels to output pixels
    int scaledWidth = 0; // the whole picture scaled
    int scaledHeight = 0;
    int left = 0; // the output: the part of the scaled picture kept
    int top = 0;
    int width = 0;
    int height = 0;
    int sourceLeft = 0; // the same part in the source's pixels
    int sourceTop = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    friend bool operator==(const ScalePlan&, const ScalePlan&) = default;
};

// Fit: sw × sh scaled to fit inside W × H, kept whole. Fill: scaled to cover W × H, then the
// middle W × H kept. noEnlarge holds the scale at 1 at most, so a fill of a smaller picture is
// only cropped to the box. Sides are rounded to the nearest pixel, never below one.
ScalePlan planScale(FitMode mode, int boxWidth, int boxHeight, int sourceWidth, int sourceHeight,
                    bool noEnlarge);

} // namespace quillmorph
