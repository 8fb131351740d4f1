#pragma once

#include "EngineStatus.h"
#include "FilePath.h"

namespace quillmorph {

// An output being written, not yet visible under its name. Where the file system allows, it is
// an anonymous file in the output folder that only commit() links into place, so even a killed
// process leaves nothing half-written behind; elsewhere a hidden temporary name is used.
// Removed when destroyed unless committed.
class PartialOutput {
public:
    PartialOutput() = default;
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;
    PartialOutput(PartialOutput&& other) noexcept;
    PartialOutput& operator=(PartialOutput&& other) noexcept;
    ~PartialOutput();

    // Creates an empty temporary file in folder; status::kOk or why it could not.
    EngineStatus create(const FilePath& folder);

    // Where writers open the file.
    const FilePath& temporaryPath() const { return path_; }

    // Gives the file the access and modification times source has; false when it could not.
    bool takeTimesOf(const FilePath& source);

    // Renames the file to finalPath, never replacing an existing file.
    EngineStatus commit(const FilePath& finalPath);

private:
    void discard();

    FilePath path_;
    int anonymousFd_ = -1; // the open anonymous file; -1 when path_ is a named temporary
};

} // namespace quillmorph
