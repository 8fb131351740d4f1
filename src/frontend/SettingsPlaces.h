#pragma once

#include <QString>

// Which settings file is read and which is saved to, decided from what is found on disc. The
// facts are gathered by each system's Places file; the decision and the first copy are the
// same everywhere, so they are tried on every system. Any thread.
namespace quillmorph::places {

// One place a settings file may be at.
struct SettingsCandidate {
    QString path;
    bool exists = false;
    // A save there would succeed: the folder takes new files and the file is not read-only.
    // Asked only of the file beside the program.
    bool writable = false;
};

// What Windows offers, in the order it is asked.
struct SettingsFacts {
    SettingsCandidate besideProgram; // quillmorph.ini beside quillmorph.exe
    SettingsCandidate userFolder;    // %APPDATA%\quillmorph\quillmorph.ini
    SettingsCandidate virtualStore;  // %LOCALAPPDATA%\VirtualStore\Windows\quillmorph.ini
    SettingsCandidate windowsFolder; // %windir%\quillmorph.ini
};

// Where the settings come from and where the choices go.
struct SettingsFiles {
    QString readPath;
    QString writePath; // where readPath's bytes are copied before the first save, when they differ
    // For the user, once: the choices are saved elsewhere than the file they came from. Empty
    // when there is nothing to say.
    QString notice;

    friend bool operator==(const SettingsFiles&, const SettingsFiles&) = default;
};

// The file beside the program while it can be saved there; else the user's own folder. The
// user's folder's file, once it exists, is the one read; before that, the file beside a program
// whose folder is read-only, or an old one in the Windows folder (its VirtualStore copy first,
// which is the one the old program saw), gives the values. The Windows folder is never saved to.
SettingsFiles chooseSettingsFiles(const SettingsFacts& facts);

// Makes writePath hold readPath's bytes, every one, when they differ and writePath is not there
// yet, making its folder; readPath is only read. Returns writePath, the file the settings are
// read from and saved to from then on; when the copy cannot be made, the defaults apply there.
QString takeOverSettingsFile(const SettingsFiles& files);

} // namespace quillmorph::places
