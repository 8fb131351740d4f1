#pragma once

#include "files/EngineStatus.h"

#include <QString>
#include <QStringList>

namespace quillmorph {

// How the system words a folder that is full, over its quota or cannot hold a file that large,
// in the desktop's language, as libraries hand its messages on. For SystemError.cpp.
QStringList temporaryFolderFullWordings();

// The status the first C library error named in text stands for (its strerror wording, in the
// order of statusFromErrno's table), status::kOk when none is named. For the system's sides.
EngineStatus errnoStatusNamedIn(const QString& text);

} // namespace quillmorph
