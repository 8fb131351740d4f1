#include "PartialOutput.h"

#include "SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <utility>

namespace quillmorph {

PartialOutput::PartialOutput(PartialOutput&& other) noexcept : path_(std::exchange(other.path_, {})) {}

PartialOutput& PartialOutput::operator=(PartialOutput&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

PartialOutput::~PartialOutput() {
    discard();
}

EngineStatus PartialOutput::create(const QString& folder) {
    discard();
    if (!QFileInfo(folder).isDir())
        return status::kFolderMissing;
    // Hidden, and with an extension no viewer claims, so nobody opens a half-written file.
    QTemporaryFile file(folder + QLatin1String("/.quillmorph-XXXXXX.part"));
    if (!file.open())
        return statusFromSystemMessage(file.errorString(), status::kWriteFailed);
    file.setAutoRemove(false);
    path_ = file.fileName();
    return status::kOk;
}

EngineStatus PartialOutput::commit(const QString& finalPath) {
    if (path_.isEmpty())
        return status::kNoImage;
    const QFileInfo target(finalPath);
    if (!QFileInfo(target.absolutePath()).isDir())
        return status::kFolderMissing;
    if (target.exists() || target.isSymLink())
        return status::kOutputExists;
    if (!QFile::rename(path_, finalPath)) {
        if (!QFileInfo(target.absolutePath()).isDir())
            return status::kFolderMissing;
        return QFileInfo::exists(finalPath) ? status::kOutputExists : status::kWriteFailed;
    }
    path_.clear();
    return status::kOk;
}

void PartialOutput::discard() {
    if (!path_.isEmpty())
        QFile::remove(path_);
    path_.clear();
}

} // namespace quillmorph
