#pragma once

#include "FileManagerActions.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillmorph {

// Explorer's right-click actions, as the registry keys that make them: a 「quillmorph で変換」
// submenu on picture files and folders, with the window's choices and one item per preset.
// Written per user under HKCU\Software\Classes, so no administrator is needed. Pure; the
// Windows side writes and removes what these give.

// A string value; an empty name is the key's default value.
struct RegistryValue {
    QString name;
    QString data;
    bool operator==(const RegistryValue&) const = default;
};

// A key below HKCU\Software\Classes (path with backslashes) and the values it holds.
struct RegistryKey {
    QString path;
    std::vector<RegistryValue> values;
    bool operator==(const RegistryKey&) const = default;
};

// The file types the submenu is offered on, as SystemFileAssociations keys take them.
QStringList explorerPictureTypes();

// The keys ours live under, each taken away whole on removal: one per picture type and the
// folders' own.
QStringList explorerActionRoots();

// Every key of the actions for program (the full path of quillmorph.exe), parents before
// children. A command names its preset by presetId, never by the name itself, which only the
// item's text shows; the file comes after "--" as one quoted argument, so that no name
// reaches a shell or reads as an option.
std::vector<RegistryKey> explorerActionKeys(const FileManagerMenu& menu, const QString& program);

// A preset's name as a command may carry it: the hexadecimal digits of its UTF-8 bytes.
QString presetId(const QString& name);
// The name back from presetId's digits; nothing when they are not such digits.
std::optional<QString> presetNameFromId(const QString& id);

} // namespace quillmorph
