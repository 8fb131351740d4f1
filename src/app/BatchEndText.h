#pragma once

#include "UserDialogs.h"
#include "batch/BatchResult.h"

namespace quillmorph {

// What the window's box at the end of a batch says: the message that ends it, unchanged, and
// under it the plain sentence of its failure, then, once files were written, the folder they
// went into (which the box offers to open) and, for a batch that completed, the sizes.
BoxText batchEndText(const BatchResult& result);

// The top of the failures dialog of a batch that went on past failures: its counts (after why
// it stopped, when it stopped early), with the same notes as batchEndText.
BoxText failuresSummaryText(const BatchResult& result);

} // namespace quillmorph
