#pragma once

#include <QIcon>
#include <QImage>

namespace quillmorph {

// The program's picture at size × size pixels on a transparent ground: a framed green tree
// with a brown trunk, and a red arrow bending down to a smaller framed copy of it.
QImage drawAppIcon(int size);

// The picture at the sizes title bars and task bars ask for.
QIcon appIcon();

} // namespace quillmorph
