#pragma once

#include "files/FilePath.h"

#include <QByteArrayList>
#include <QString>

namespace quillmorph {

// What the window's command line asks for: files to convert as one drop, and the preset they
// convert with (empty: the window's choices).
struct StartArguments {
    QString preset;
    FilePaths files;
};

// Reads `[--preset NAME | --preset-id ID] [--] FILE...` (arguments as the system gave them,
// without the program's name). Every other argument is a file, made absolute so that a copy
// started elsewhere can hand it over; after "--" even one that starts with a dash. An ID that
// names no preset gives a preset name no preset has, so that the user is told.
StartArguments parseStartArguments(const QByteArrayList& arguments);

} // namespace quillmorph
