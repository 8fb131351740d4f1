#pragma once

namespace quillmorph {

// True when this liborc needs the guard: older than 0.4.34, known when the program was built.
bool orcNeedsGuard();

// True when libvips' calls to compile and free Orc vector programs go through this program's
// serialised versions.
bool orcCallsSerialised();

// True when Orc vector code is safe to use from several threads at once: liborc locks its
// code chunks itself, or this program serialises the calls that do not.
bool orcVectorCodeSafe();

} // namespace quillmorph
