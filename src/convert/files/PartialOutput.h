#pragma once

#include "files/EngineStatus.h"
#include "files/FilePath.h"
#include "files/Folder.h"
#include "files/SystemHandle.h"

namespace quillmorph {

// An output being written, not yet visible under its name. Where the file system allows, it is
// an anonymous file in the output folder that only commit() links into place, so even a killed
// process leaves nothing half-written behind; elsewhere a hidden temporary name is used. Made
// and named through the folder's handle, never its path. Removed when destroyed unless
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

    // Where writers open the file: a name the system gives what was opened.
    const FilePath& temporaryPath() const { return path_; }

    // Gives the file the access and modification times source has; false when it could not.
    bool takeTimesOf(const FilePath& source);

    // Gives the file name in folder, never replacing an existing file.
    EngineStatus commit(const Folder& folder, const QByteArray& name);

private:
    // One way of making the file: made, or why not, and whether another way (or name) may
    // still work.
    struct Attempt {
        SystemHandle file;
        EngineStatus status = status::kOk;
        bool tryAnother = false;
    };

    void discard();

    // The system's side (PartialOutputPosix.cpp).
    // An anonymous file in folder; tryAnother when the file system has none.
    static Attempt createAnonymous(const Folder& folder);
    // A new file of that name in folder; tryAnother when the name is taken.
    static Attempt createNamed(const Folder& folder, const QByteArray& name);
    // The name writers open file by.
    static FilePath nameOf(const SystemHandle& file);
    // Gives the file name in folder, never replacing an existing one; status::kOk or the
    // system's reason.
    EngineStatus placeAs(const Folder& folder, const QByteArray& name) const;
    // Removes the named temporary.
    void removeTemporary() const;

    FilePath path_;
    SystemHandle file_;
    Folder folder_;        // where a named temporary lies
    QByteArray temporary_; // its name there; empty for an anonymous file
};

} // namespace quillmorph
