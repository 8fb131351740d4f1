#pragma once

class QWidget;

namespace quillmorph {

// Gives the window's surface and each of its shown controls a short tooltip: what it does and
// its range (the surface: drop here, right-click for more). GUI thread.
void addWindowTips(QWidget* window);

} // namespace quillmorph
