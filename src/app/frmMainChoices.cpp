// The window's choices on their one way: the controls and the menu give the stored choices,
// which the settings file keeps and conversionOptions turns into what a batch reads.

#include "SurfaceMenu.h"
#include "WindowBatches.h"
#include "frmMain.h"
#include "frontend/OptionsFromChoices.h"
#include "frontend/Places.h"
#include "options/QualityFactor.h"
#include "settings/StoredChoices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTimer>

namespace quillmorph {

void frmMain::LoadSettings() {
    const QString path = places::settingsFilePath();
    QStringList notices;
    if (!start_.settingsNotice.isEmpty())
        notices << start_.settingsNotice;
    if (const QString tooLarge = settingsFileNotice(path); !tooLarge.isEmpty())
        notices << tooLarge;
    const Profile profile = Profile::fromFile(path);
    showChoices(readStoredChoices(profile, &notices));
    (void)userPresets(profile, &notices);
    tellSettingsNotices(notices);
}

void frmMain::tellSettingsNotices(const QStringList& notices) {
    if (notices.isEmpty())
        return;
    // After the window has come up, over it, rather than before anything is on the screen.
    QTimer::singleShot(
        0, this, [this, notices] { dialogs_.showWarning(this, notices.join(QLatin1Char('\n'))); });
}

void frmMain::applyPreset(const Preset& preset) {
    appliedPreset_ = preset;
    showChoices(withPreset(choices(), preset));
    storeOptions();
}

void frmMain::showChoices(const StoredChoices& stored) {
    chkMode->setChecked(stored.sizeConversion);
    cobWidth->setEditText(stored.widthText);
    cobHeight->setEditText(stored.heightText);
    // Raises cobiQuality_Change, which derives Text1.
    cobiQuality->setEditText(stored.qualityText);
    // The stored text ends at its first NUL, as a fixed character buffer would end it.
    cobFormat->setEditText(stored.formatText.section(QChar(0), 0, 0));
    setBackColor(stored.backColor);
    surfaceMenu_->load(stored);
}

StoredChoices frmMain::choices() const {
    StoredChoices choices;
    choices.sizeConversion = chkMode->isChecked();
    choices.widthText = cobWidth->currentText();
    choices.heightText = cobHeight->currentText();
    choices.qualityText = cobiQuality->currentText();
    choices.formatText = cobFormat->currentText();
    choices.backColor = backColor_;
    surfaceMenu_->save(choices);
    return choices;
}

void frmMain::SaveSettings() {
    // A failed save is not the user's business at the moment they leave.
    saveStoredChoices(places::settingsFilePath(), choices());
}

void frmMain::cobiQuality_Change(const QString& text) {
    Text1 = qualityFactorText(text);
    storeOptions();
}

void frmMain::storeOptions() {
    const StoredChoices now = choices();
    // The preset's name goes with its choices: once the user changes one, {preset} is empty.
    const bool showsPreset = appliedPreset_ && withPreset(now, *appliedPreset_) == now;
    options_.store(showsPreset ? conversionOptions(now, *appliedPreset_) : conversionOptions(now));
}

void frmMain::menuChanged() {
    // A chosen folder that has gone by the time of a drop ends that batch; only the Desktop is
    // made when missing, as a fresh account may have none yet.
    const FilePath& chosen = surfaceMenu_->outputFolder();
    batches_->setOutputParent(chosen.isEmpty() ? FilePath(desktopPath_) : chosen, chosen.isEmpty());
    storeOptions();
}

} // namespace quillmorph
