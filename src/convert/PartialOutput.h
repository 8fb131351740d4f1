#pragma once

#include "EngineStatus.h"
#include "FilePath.h"
#include "Folder.h"

namespace quillmorph {

// An output being written, not yet visible under its name. Where the file system allows, it is
// an anonymous file in the output folder that only commit() links into place, so even a killed
// process leaves nothing half-written behind; elsewhere a hidden temporary name is used. Made
// and named through the folder's descriptor, never its path. Removed when destroyed unless
// committed.
class PartialOutput {
public:
    PartialOutput() = default;
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;
    PartialOutput(PartialOutput&& other) noexcept;
    PartialOutput& operator=(PartialOutput&& other) noexcept;
    ~PartialOutput();

    // Creates an empty temporary file in folder; status::kOk or why it could not.
    EngineStatus create(const Folder& folder);

    // Where writers open the file: a name of its descriptor.
    const FilePath& temporaryPath() const { return path_; }

    // Gives the file the access and modification times source has; false when it could not.
    bool takeTimesOf(const FilePath& source);

    // Gives the file name in folder, never replacing an existing file.
    EngineStatus commit(const Folder& folder, const QByteArray& name);

private:
    void discard();

    FilePath path_;
    int fd_ = -1;
    Folder folder_;        // where a named temporary lies
    QByteArray temporary_; // its name there; empty for an anonymous file
};

} // namespace quillmorph
