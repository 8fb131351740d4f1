#pragma once

#include <QString>

// Where the program keeps its settings and puts its outputs by default, as the system it runs
// on has them. Each system has its own implementation file. Any thread.
namespace quillmorph::places {

// The settings file: $windir/quillmorph.ini when windir is set, otherwise
// quillmorph/quillmorph.ini in the user's configuration folder. (On Windows it will keep its
// name, section and keys where a user may write: beside quillmorph.exe if one is already
// there, else in %APPDATA%\quillmorph\; an old copy in the Windows folder read once, never
// written.)
QString settingsFilePath();

// The user's Desktop folder, where the dated folders go unless another folder is chosen.
QString desktopFolder();

} // namespace quillmorph::places
