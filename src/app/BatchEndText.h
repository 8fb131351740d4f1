#pragma once

#include "UserDialogs.h"
#include "batch/BatchResult.h"
#include "batch/Messages.h"

namespace quillmorph {

// What the window knows of a batch beyond its result: how far it got, and how many drops wait
// their turn after it.
struct BatchAfterwards {
    message::BatchReach reach;
    int waitingDrops = 0;
};

// What the window's box at the end of a batch says: the message that ends it, unchanged, and
// under it the plain sentence of its failure, then, for a batch that stopped early, that the rest
// was not converted and the waiting drops still are, then, once files were written, the folder
// they went into (which the box offers to open) and, for a batch that completed, the sizes (and
// what makes them smaller when the outputs came to more).
BoxText batchEndText(const BatchResult& result, const BatchAfterwards& afterwards = {});

// The top of the failures dialog of a batch that went on past failures: its counts (after why
// it stopped, when it stopped early), with the same notes as batchEndText.
BoxText failuresSummaryText(const BatchResult& result, const BatchAfterwards& afterwards = {});

} // namespace quillmorph
