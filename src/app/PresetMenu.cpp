#include "PresetMenu.h"

#include "frontend/Places.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <iterator>

namespace quillmorph {

PresetMenu::PresetMenu(const UserDialogs& dialogs, QWidget* window,
                       std::function<StoredChoices()> current, QWidget* parent)
    : QMenu(tr("プリセット"), parent), dialogs_(dialogs), window_(window),
      current_(std::move(current)), settingsFile_(places::settingsFilePath()) {
    setObjectName(QStringLiteral("presetMenu"));
    connect(this, &QMenu::aboutToShow, this, &PresetMenu::refresh);
    rebuild();
}

namespace {

// The file as it stands, cheaply: its size and time of change, or nothing when it is missing.
QString fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("-");
    return QString::number(info.size()) + QLatin1Char(' ') +
           QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(' ') +
           QString::number(info.metadataChangeTime().toMSecsSinceEpoch());
}

// A name as a menu item shows it: '&' would otherwise mark the next letter as its shortcut.
QString itemText(QString name) {
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void PresetMenu::refresh() {
    // Thousands of presets take a while to lay out; the menu opens as often as the user likes.
    if (fileStamp(settingsFile_) != builtFrom_)
        rebuild();
}

const std::vector<Preset>& PresetMenu::presets() {
    if (const QString stamp = fileStamp(settingsFile_); stamp != presetsFrom_) {
        presets_ = allPresets(Profile::fromFile(settingsFile_));
        presetsFrom_ = stamp;
    }
    return presets_;
}

void PresetMenu::rebuild() {
    clear();
    builtFrom_ = fileStamp(settingsFile_);
    const std::vector<Preset>& all = presets();
    bool userSeen = false;
    for (const Preset& preset : all) {
        if (!preset.builtIn && !userSeen) {
            addSeparator();
            userSeen = true;
        }
        QAction* apply = addAction(itemText(preset.label));
        apply->setObjectName(QStringLiteral("preset:") + preset.name);
        connect(apply, &QAction::triggered, this, [this, preset] { Q_EMIT chosen(preset); });
    }
    addSeparator();
    QAction* save = addAction(tr("現在の設定をプリセットとして保存…"));
    save->setObjectName(QStringLiteral("savePreset"));
    connect(save, &QAction::triggered, this, &PresetMenu::saveCurrent);
    std::vector<Preset> own;
    std::copy_if(all.begin(), all.end(), std::back_inserter(own),
                 [](const Preset& p) { return !p.builtIn; });
    QMenu* renames = addMenu(tr("名前を変更"));
    QMenu* removals = addMenu(tr("削除"));
    renames->setObjectName(QStringLiteral("renamePreset"));
    removals->setObjectName(QStringLiteral("removePreset"));
    renames->setEnabled(!own.empty());
    removals->setEnabled(!own.empty());
    for (const Preset& preset : own) {
        connect(renames->addAction(itemText(preset.name)), &QAction::triggered, this,
                [this, name = preset.name] { rename(name); });
        connect(removals->addAction(itemText(preset.name)), &QAction::triggered, this,
                [this, name = preset.name] { remove(name); });
    }
}

TextCheck PresetMenu::nameCheck(const QString& name, const QString& replacing) {
    // Not the items: this runs inside one of their own signals.
    const QString problem = presetNameProblem(presets(), name, replacing);
    return {problem.isEmpty(), problem};
}

bool PresetMenu::edit(const std::function<void(Profile&)>& change) {
    std::optional<Profile> profile = Profile::read(settingsFile_);
    if (!profile)
        return false;
    change(*profile);
    const bool saved = profile->saveTo(settingsFile_);
    // Read again at the next opening, whatever the file's times say.
    builtFrom_.clear();
    presetsFrom_.clear();
    if (saved)
        Q_EMIT presetsChanged();
    return saved;
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
