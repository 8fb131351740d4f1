#pragma once

#include "UserDialogs.h"
#include "settings/Presets.h"

#include <QMenu>
#include <functional>

namespace quillmorph {

// The right-click menu's プリセット submenu: the presets to apply, saving the window's choices as
// one, renaming and deleting the user's. It reads the settings file again when it opens after
// the file changed, and writes it as soon as a preset changes. GUI thread.
class PresetMenu : public QMenu {
    Q_OBJECT

public:
    // current gives the window's choices; dialogs must outlive the menu.
    PresetMenu(const UserDialogs& dialogs, QWidget* window, std::function<StoredChoices()> current,
               QWidget* parent);

    // The file the presets live in (the settings file unless a test says otherwise).
    void setSettingsFile(const QString& path) { settingsFile_ = path; }

Q_SIGNALS:
    // The user chose preset: the window shows its choices.
    void chosen(const quillmorph::Preset& preset);
    // A preset was saved, renamed or deleted, and the file written.
    void presetsChanged();

private:
    // Rebuilds the items when the file is not the one they were built from.
    void refresh();
    void rebuild();
    void saveCurrent();
    void rename(const QString& name);
    void remove(const QString& name);
    // Reads the file, lets change alter it and writes it back; false when it could not.
    bool edit(const std::function<void(Profile&)>& change);
    TextCheck nameCheck(const QString& name, const QString& replacing);

    const UserDialogs& dialogs_;
    QWidget* const window_;
    const std::function<StoredChoices()> current_;
    QString settingsFile_;
    // The presets in the file, read again only when it has changed: the name checks look
    // through them on every key the user types.
    const std::vector<Preset>& presets();

    // The file's size and times the items, and the presets, were made from (empty: not yet).
    QString builtFrom_;
    QString presetsFrom_;
    std::vector<Preset> presets_;
};

} // namespace quillmorph
