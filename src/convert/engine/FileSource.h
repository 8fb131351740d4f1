#pragma once

#include <memory>
#include <vips/vips8>

namespace quillmorph {

class SourceFile;

// A libvips source reading file through what was opened, from its start, at a position of its
// own: the file's name never reaches libvips, so nothing in it is taken for options, and no
// handle or descriptor of ours crosses into libvips' C library. The source keeps file open
// while libvips holds it. Each call gives a new source; one source is read by one loader.
vips::VSource sourceReading(std::shared_ptr<const SourceFile> file);

} // namespace quillmorph
