#pragma once

#include "FileManagerActions.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace quillmorph {

// Thunar reads its right-click actions from the user's own uca.xml only, so quillmorph adds
// its actions to that file on request and takes away only those it added. All functions here
// are pure and any thread unless said otherwise.

// What our actions say, in the language of the moment the user asks for them.
using ThunarMenu = FileManagerMenu;

// A new text of uca.xml, or why the file was refused (then bytes is empty).
struct UcaEdit {
    QByteArray bytes;
    QString fault; // the reader's complaint and its line; empty when bytes is the new file
};

// The file with our actions (any of ours already there replaced) just before </actions>; an
// empty or missing file (empty bytes) becomes a new file holding ours alone. Other bytes stay.
UcaEdit withThunarActions(const QByteArray& current, const ThunarMenu& menu);

// The file without the actions we added, every other byte as it was.
UcaEdit withoutThunarActions(const QByteArray& current);

// The user's uca.xml ($XDG_CONFIG_HOME/Thunar/uca.xml).
QString thunarActionsPath();

// Reads the file at path (missing: empty), and writes edit's result in its place atomically
// when it differs, making the folder if needed. Returns the fault to tell the user, or empty.
// GUI-free; the caller's thread.
QString rewriteThunarActions(const QString& path,
                             const std::function<UcaEdit(const QByteArray&)>& edit);

} // namespace quillmorph
