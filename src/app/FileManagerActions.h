#pragma once

#include <QString>
#include <utility>
#include <vector>

// The file manager's right-click actions that hand files to quillmorph: one with the window's
// choices and one per preset. Each system has its own implementation file (on Linux, Thunar's
// actions file; Nautilus and Dolphin read the files the package installs).
namespace quillmorph {

// What our actions say, in the language of the moment the user asks for them.
struct FileManagerMenu {
    QString submenu;       // the submenu holding our actions
    QString windowChoices; // the action that converts with the window's current choices
    std::vector<std::pair<QString, QString>> presets; // name (for --preset), label
};

// What a change of the actions came to: the line to tell the user that it was done, or the
// fault that kept it from being done (then done is empty).
struct FileManagerChange {
    QString done;
    QString fault;
};

// Adds our actions (install) or takes away those we added, every other action left as it was.
// GUI-free; the caller's thread.
FileManagerChange changeFileManagerActions(bool install, const FileManagerMenu& menu);

} // namespace quillmorph
