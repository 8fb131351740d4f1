#pragma once

#include <QStringList>

namespace quillmorph {

// How the system words a folder that is full, over its quota or cannot hold a file that large,
// in the desktop's language, as libraries hand its messages on. For SystemError.cpp.
QStringList temporaryFolderFullWordings();

} // namespace quillmorph
