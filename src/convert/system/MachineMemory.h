#pragma once

namespace quillmorph {

// How much memory this process can still be given, from what limits it on this system (on
// Linux: the machine's available memory, the address space the process may map and the memory
// limit of its control group; on Windows: the physical memory available, the commit the system
// can still give and the memory limits of the process's job), less room for the threads a batch
// starts; 0 when none of them is known. Any thread.
double memoryLeftForThisProcess();

// The bytes this process may still write into the temporary folder (TMPDIR, else /tmp; on
// Windows TMP, else TEMP, as QDir::tempPath names it), where libvips
// unpacks what it cannot stream; 0 when not known. Any thread.
double temporaryFolderSpaceLeft();

} // namespace quillmorph
