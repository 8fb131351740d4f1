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

// Our actions in the language of the moment, with every preset in the settings file, the
// user's too.
FileManagerMenu currentFileManagerMenu();

// Adds our actions (install) or takes away those we added, every other action left as it was.
// GUI-free; the caller's thread.
FileManagerChange changeFileManagerActions(bool install, const FileManagerMenu& menu);

// True when our actions are there (added and not taken away since).
bool fileManagerActionsInstalled();

// Writes our actions again with menu when they are there, so that they name the presets of
// the moment; nothing otherwise. The fault, or empty.
QString refreshFileManagerActions(const FileManagerMenu& menu);

// The window's command-line options that add and take away the actions on this system, and
// the lines of its usage text that tell of them, and the window's item for them (in the
// language of the moment).
struct FileManagerOptions {
    const char* install;
    const char* remove;
    QString usage;
    QString menuItem; // the window's checkable item that adds them (checked) or takes them away
};
FileManagerOptions fileManagerOptions();

} // namespace quillmorph
