#pragma once

namespace quillmorph {

// True when libvips' calls to compile and free Orc vector programs go through this program's
// serialised versions, so vector code is safe to use from several threads at once.
bool orcCallsSerialised();

} // namespace quillmorph
