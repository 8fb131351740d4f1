#pragma once

namespace quillmorph {

// Starts libvips once per process, before any LeadImage is used or any worker starts; false
// when it cannot start. Keeps vips' operation cache off so a batch never grows it.
bool startImagingEngine(const char* argv0);

} // namespace quillmorph
