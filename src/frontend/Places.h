#pragma once

#include "frontend/SettingsPlaces.h"

#include <QString>

// Where the program keeps its settings and puts its outputs by default, as the system it runs
// on has them. Each system has its own implementation file. Any thread.
namespace quillmorph::places {

// Where the settings are read from and saved to as things stand, and the line to tell the user
// about it; touches no file. On Windows as chooseSettingsFiles decides; elsewhere both are
// settingsFilePath() and there is never a notice. Ask it before settingsFilePath() to see the
// notice: that call takes the old file over and the notice is then no longer due.
SettingsFiles settingsFiles();

// The settings file, read and saved: $windir/quillmorph.ini when windir is set, otherwise
// quillmorph/quillmorph.ini in the user's configuration folder. On Windows the file
// settingsFiles() saves to, which first takes over the bytes of the file read
// (takeOverSettingsFile).
QString settingsFilePath();

// The user's Desktop folder, where the dated folders go unless another folder is chosen.
QString desktopFolder();

} // namespace quillmorph::places
