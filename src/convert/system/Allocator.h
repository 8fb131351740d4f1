#pragma once

namespace quillmorph {

// How the C library's allocator is tuned for image work. Where the allocator offers no such
// settings, each is nothing.

// For a process whose worker threads pass image buffers of a few MB about: few arenas, and
// large blocks handed back when freed. Once, before any worker starts.
void tuneAllocatorForImages();

// Keeps the very large blocks a perceptual comparison allocates and frees in the heap for the
// next one, instead of handing them back at once. Once is enough; any thread.
void keepLargeBlocksInHeap();

// Hands the memory freed between blocks still in use back to the system. Any thread.
void returnFreedMemory();

} // namespace quillmorph
