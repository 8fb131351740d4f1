#pragma once

#include "files/FilePath.h"

#include <QString>

namespace quillmorph {

class SingleInstance;

// What the window starts from: main fills it from the platform and the command line, tests
// from temporary folders.
struct WindowStart {
    // The parent of every output folder; empty for the platform's Desktop folder.
    QString desktopPath;
    // Files to convert as one drop as soon as the window has loaded.
    FilePaths files;
    // The preset those files convert with (its name); empty: the window's choices.
    QString preset;
    // This copy's claim to be the only one (SingleInstance::claim has succeeded): the window
    // takes what later copies hand over. Null when no other copy is looked for. Not owned; it
    // must outlive the window.
    SingleInstance* instance = nullptr;
    // Where the settings go when that is not where they were read from; said once, as the
    // window loads. Empty when they stay where they are.
    QString settingsNotice;
};

} // namespace quillmorph
