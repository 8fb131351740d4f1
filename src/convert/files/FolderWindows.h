#pragma once

#include "files/Folder.h"

#include <QByteArray>
#include <string>

namespace quillmorph {

// The full path of name inside folder, through where the system holds the folder open
// (its final path, "\\?\" spelling included), whatever the path it was opened by names now;
// empty when the folder is not open. Only …Windows.cpp files include this.
std::wstring pathInside(const Folder& folder, const QByteArray& name);

} // namespace quillmorph
