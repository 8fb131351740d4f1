#include "LaterCopy.h"

#include "SingleInstance.h"
#include "frontend/Places.h"
#include "settings/Presets.h"

#include <QCoreApplication>

namespace quillmorph {

namespace {

// The running window would refuse the preset in a box of its own, far from whoever typed the
// name or clicked a file manager's action for a preset deleted since.
bool presetKnown(const QString& preset, const UserDialogs& dialogs, std::FILE* terminal) {
    if (preset.isEmpty() ||
        findPreset(allPresets(Profile::fromFile(places::settingsFilePath())), preset))
        return true;
    const QString text =
        QCoreApplication::translate("quillmorph::frmMain", "プリセット「%1」が見つかりません。");
    if (terminal) {
        // Escaped as file names are on a terminal: a name from the command line may hold
        // control characters.
        const QByteArray name = FilePath::fromNative(preset.toUtf8()).printable();
        std::fprintf(terminal, "quillmorph: %s\n",
                     text.arg(QString::fromUtf8(name)).toLocal8Bit().constData());
        std::fflush(terminal);
    } else {
        dialogs.showWarning(nullptr, text.arg(preset));
    }
    return false;
}

} // namespace

int endAsLaterCopy(const SingleInstance& instance, const FilePaths& files, const QString& preset,
                   const UserDialogs& dialogs, std::FILE* terminal) {
    if (!files.isEmpty() && !presetKnown(preset, dialogs, terminal))
        return 1;
    if (!files.isEmpty() && instance.handOver(files, SingleInstance::kHandOverTimeoutMs, preset))
        return 0;
    dialogs.showWarning(nullptr,
                        QCoreApplication::translate("quillmorph::frmMain",
                                                    "すでに「quillmorph」は起動されています。"));
    // Files that reached no one are worth a failure status to whoever started this copy.
    return files.isEmpty() ? 0 : 1;
}

} // namespace quillmorph
