#include "system/Allocator.h"

namespace quillmorph {

// The Windows heap offers none of glibc's arena or threshold settings: nothing to tune.

void tuneAllocatorForImages() {}

void keepLargeBlocksInHeap() {}

void returnFreedMemory() {}

} // namespace quillmorph
