#pragma once

#include "batch/ConversionOptions.h"
#include "settings/StoredChoices.h"

namespace quillmorph {

// The options a batch converts with, read from the choices as the window shows them and the
// settings file stores them. The window and the command line both come through here, so a
// choice means the same in either. A text that names no box or format stays in the options as
// such, refused only when a file needs it.
ConversionOptions conversionOptions(const StoredChoices& choices);

} // namespace quillmorph
