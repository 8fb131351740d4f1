#pragma once

#include "files/EngineStatus.h"

#include <vips/vips8>

namespace quillmorph {

// The engine operation a status is charged to, as the messages name it.
enum class Stage { Load, Size, Save };

// A step's status with the operation it is charged to. Pixels are decoded only when a step
// wants them (a resize, a crop by attention, the encoder), so a damaged source surfaces there;
// the engine charges it to Load all the same, whichever step met it.
struct StepStatus {
    EngineStatus status = status::kOk;
    Stage stage = Stage::Load;

    bool ok() const { return status == status::kOk; }
};

// libvips' error e as a status: the cause its message names (memory, open files, the disk,
// permissions), else fallback. Clears libvips' error buffer.
EngineStatus statusFromVipsError(const vips::VError& e, EngineStatus fallback);

} // namespace quillmorph
