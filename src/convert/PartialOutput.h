#pragma once

#include "EngineStatus.h"

#include <QString>

namespace quillmorph {

// A finished output still under a temporary name in its folder. Removed when destroyed unless
// commit() gave it its final name, so an abandoned or failed output never lingers.
class PartialOutput {
public:
    PartialOutput() = default;
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;
    PartialOutput(PartialOutput&& other) noexcept;
    PartialOutput& operator=(PartialOutput&& other) noexcept;
    ~PartialOutput();

    // Creates an empty temporary file in folder; status::kOk or why it could not.
    EngineStatus create(const QString& folder);

    const QString& temporaryPath() const { return path_; }

    // Renames the file to finalPath, never replacing an existing file.
    EngineStatus commit(const QString& finalPath);

private:
    void discard();

    QString path_;
};

} // namespace quillmorph
