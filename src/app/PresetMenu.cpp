#include "PresetMenu.h"

#include <QAction>

namespace quillmorph {

PresetMenu::PresetMenu(const UserDialogs& dialogs, QWidget* window,
                       std::function<StoredChoices()> current, QWidget* parent)
    : QMenu(tr("プリセット"), parent), dialogs_(dialogs), window_(window),
      current_(std::move(current)), settingsFile_(settingsFilePath()) {
    setObjectName(QStringLiteral("presetMenu"));
    connect(this, &QMenu::aboutToShow, this, &PresetMenu::rebuild);
    rebuild();
}

void PresetMenu::rebuild() {
    clear();
    const Profile profile = Profile::fromFile(settingsFile_);
    const std::vector<Preset> presets = allPresets(profile);
    bool userSeen = false;
    for (const Preset& preset : presets) {
        if (!preset.builtIn && !userSeen) {
            addSeparator();
            userSeen = true;
        }
        QAction* apply = addAction(preset.label);
        apply->setObjectName(QStringLiteral("preset:") + preset.name);
        connect(apply, &QAction::triggered, this, [this, preset] { Q_EMIT chosen(preset); });
    }
    addSeparator();
    QAction* save = addAction(tr("現在の設定をプリセットとして保存…"));
    save->setObjectName(QStringLiteral("savePreset"));
    connect(save, &QAction::triggered, this, &PresetMenu::saveCurrent);
    const std::vector<Preset> own = userPresets(profile);
    QMenu* renames = addMenu(tr("名前を変更"));
    QMenu* removals = addMenu(tr("削除"));
    renames->setObjectName(QStringLiteral("renamePreset"));
    removals->setObjectName(QStringLiteral("removePreset"));
    renames->setEnabled(!own.empty());
    removals->setEnabled(!own.empty());
    for (const Preset& preset : own) {
        connect(renames->addAction(preset.name), &QAction::triggered, this,
                [this, name = preset.name] { rename(name); });
        connect(removals->addAction(preset.name), &QAction::triggered, this,
                [this, name = preset.name] { remove(name); });
    }
}

TextCheck PresetMenu::nameCheck(const QString& name, const QString& replacing) const {
    const QString problem =
        presetNameProblem(allPresets(Profile::fromFile(settingsFile_)), name, replacing);
    return {problem.isEmpty(), problem};
}

bool PresetMenu::edit(const std::function<void(Profile&)>& change) {
    std::optional<Profile> profile = Profile::read(settingsFile_);
    if (!profile)
        return false;
    change(*profile);
    return profile->saveTo(settingsFile_);
}

void PresetMenu::saveCurrent() {
    const auto name = dialogs_.askText(window_, tr("プリセットの名前:"), {},
                                       [this](const QString& text) { return nameCheck(text, {}); });
    if (!name || !nameCheck(*name, {}).ok)
        return;
    const StoredChoices choices = current_();
    if (!edit([&](Profile& p) { storePreset(p, *name, choices); }))
        dialogs_.showWarning(window_, tr("プリセットを設定ファイルに保存できませんでした。"));
}

void PresetMenu::rename(const QString& name) {
    const auto renamed =
        dialogs_.askText(window_, tr("「%1」の新しい名前:").arg(name), name,
                         [this, name](const QString& text) { return nameCheck(text, name); });
    if (!renamed || !nameCheck(*renamed, name).ok)
        return;
    const auto preset = findPreset(userPresets(Profile::fromFile(settingsFile_)), name);
    if (!preset)
        return;
    const bool saved = edit([&](Profile& p) {
        removePreset(p, name);
        storePreset(p, *renamed, preset->choices);
    });
    if (!saved)
        dialogs_.showWarning(window_, tr("プリセットを設定ファイルに保存できませんでした。"));
}

void PresetMenu::remove(const QString& name) {
    if (!dialogs_.confirm(window_, tr("プリセット「%1」を削除しますか？").arg(name)))
        return;
    if (!edit([&](Profile& p) { removePreset(p, name); }))
        dialogs_.showWarning(window_, tr("プリセットを設定ファイルに保存できませんでした。"));
}

} // namespace quillmorph
