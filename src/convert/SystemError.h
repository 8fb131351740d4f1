#pragma once

#include "EngineStatus.h"

#include <QString>

namespace quillmorph {

// Maps the operating system's wording of a file error (as found in a libvips or QFile message)
// to an engine status; fallback when the text names none of them.
EngineStatus statusFromSystemMessage(const QString& text, EngineStatus fallback);

} // namespace quillmorph
