#pragma once

#include "batch/ConversionOptions.h"
#include "settings/Presets.h"
#include "settings/StoredChoices.h"

namespace quillmorph {

// The options a batch converts with, read from the choices as the window shows them and the
// settings file stores them. The window and the command line both come through here, so a
// choice means the same in either. A text that names no box or format stays in the options as
// such, refused only when a file needs it.
ConversionOptions conversionOptions(const StoredChoices& choices);

// The options of choices with preset applied over them, named after it for {preset}: the one
// way a preset is applied, from the window's menu, a hand-over and --preset alike.
ConversionOptions conversionOptions(const StoredChoices& choices, const Preset& preset);

} // namespace quillmorph
