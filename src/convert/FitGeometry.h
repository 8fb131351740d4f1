#pragma once

#include <QString>
#include <optional>

namespace quillmorph {

// Where a scaled image lands in its box, computed in single precision as the batch always has.
struct FitPlan {
    int boxWidth = 0;  // W
    int boxHeight = 0; // H
    float scale = 0;   // s, the smaller of W/sw and H/sh (H/sh on a tie)
    float scaledWidth = 0;  // nw = s × sw
    float scaledHeight = 0; // nh = s × sh
    float left = 0;   // placement inside the box, whole numbers
    float top = 0;
    float width = 0;
    float height = 0;
};

// The box side typed by the user: the text as a single-precision number, rounded half to
// even; empty unless the result is 1…32767.
std::optional<int> boxSideFromText(const QString& text);

// A box side taken from an image side (size conversion off): rounded half to even.
int boxSideFromImage(float side);

// Fits sw × sh into W × H. The placement never leaves the box (a scaled side a hair above the
// box is the box side at offset 0) and never shrinks below one pixel.
FitPlan planFit(int boxWidth, int boxHeight, float sourceWidth, float sourceHeight);

} // namespace quillmorph
