#include "files/PartialOutput.h"

#include <QRandomGenerator>
#include <utility>

namespace quillmorph {

namespace {

// Hidden, and with an extension no viewer claims, so nobody opens a half-written file.
QByteArray temporaryName() {
    return ".quillmorph-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) +
           ".part";
}

} // namespace

PartialOutput::PartialOutput(PartialOutput&& other) noexcept
    : path_(std::exchange(other.path_, {})), file_(std::move(other.file_)),
      folder_(std::exchange(other.folder_, {})), temporary_(std::exchange(other.temporary_, {})) {}

PartialOutput& PartialOutput::operator=(PartialOutput&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
        file_ = std::move(other.file_);
        folder_ = std::exchange(other.folder_, {});
        temporary_ = std::exchange(other.temporary_, {});
    }
    return *this;
}

PartialOutput::~PartialOutput() {
    discard();
}

EngineStatus PartialOutput::create(const Folder& folder) {
    discard();
    if (folder.isGone())
        return status::kFolderMissing;
    Attempt made = createAnonymous(folder);
    if (!made.file.isOpen()) {
        if (!made.tryAnother)
            return made.status;
        for (int attempt = 0; !made.file.isOpen() && attempt < 100; ++attempt) {
            temporary_ = temporaryName();
            made = createNamed(folder, temporary_);
            if (!made.file.isOpen() && !made.tryAnother) {
                temporary_.clear();
                return made.status;
            }
        }
        if (!made.file.isOpen()) {
            temporary_.clear();
            return status::kWriteFailed;
        }
        folder_ = folder;
    }
    file_ = std::move(made.file);
    // Writers reopen the file through its handle's name.
    path_ = nameOf(file_);
    return status::kOk;
}

EngineStatus PartialOutput::commit(const Folder& folder, const QByteArray& name) {
    if (!file_.isOpen())
        return status::kNoImage;
    if (folder.isGone())
        return status::kFolderMissing;
    if (folder.holds(name))
        return status::kOutputExists;
    if (const EngineStatus placed = placeAs(folder, name); placed != status::kOk) {
        if (folder.isGone())
            return status::kFolderMissing;
        if (folder.holds(name))
            return status::kOutputExists;
        return placed;
    }
    file_.reset();
    path_ = {};
    temporary_.clear();
    folder_ = {};
    return status::kOk;
}

void PartialOutput::discard() {
    file_.reset(); // an anonymous file that was never linked is gone now
    if (!temporary_.isEmpty())
        removeTemporary();
    path_ = {};
    temporary_.clear();
    folder_ = {};
}

} // namespace quillmorph
