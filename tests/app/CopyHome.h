#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace quillmorph::test {

// The folders a copy of the real program lives in, all under one temporary root.
struct CopyHome {
    explicit CopyHome(const QString& root);
    QString home;    // HOME; its Desktop folder is where the copy converts to
    QString windir;  // the settings folder
    QString runtime; // XDG_RUNTIME_DIR: where copies of one user meet; empty for none
    QString tmpdir;  // TMPDIR when not empty
    QString desktop() const;
    QString settingsPath() const;
    // Offscreen, with the three folders above and no configuration of the account.
    QProcessEnvironment environment() const;
};

} // namespace quillmorph::test
