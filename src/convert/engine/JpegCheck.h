#pragma once

namespace quillmorph {

// True when the JPEG file named name has data that ends before its last row (libjpeg warns of a
// premature end: the scan stops at a marker, or the file before its end marker), or that
// libjpeg cannot decode at all. libvips decodes such a file with a grey or smeared remainder
// and only a warning, the same severity it gives the harmless warnings cameras provoke
// (extraneous bytes before a marker), which this tells apart. Decodes at an eighth of the
// size, so it costs about what reading the file at its smallest does. A name that is not a
// regular file gives false. Any thread.
bool jpegEndsBeforeItsLastRow(const char* name);

} // namespace quillmorph
