#include "LaterCopy.h"

#include "SingleInstance.h"

#include <QCoreApplication>

namespace quillmorph {

int endAsLaterCopy(const SingleInstance& instance, const FilePaths& files, const QString& preset,
                   const UserDialogs& dialogs) {
    if (!files.isEmpty() && instance.handOver(files, SingleInstance::kHandOverTimeoutMs, preset))
        return 0;
    dialogs.showWarning(nullptr,
                        QCoreApplication::translate("quillmorph::frmMain",
                                                    "すでに「quillmorph」は起動されています。"));
    // Files that reached no one are worth a failure status to whoever started this copy.
    return files.isEmpty() ? 0 : 1;
}

} // namespace quillmorph
