#pragma once

#include <string_view>

namespace quillmorph {

// The family of a loader: its class name without "VipsForeignLoad" and without the way the
// loader is reached ("File", "Buffer", "Source"), so that a file opened by name, from memory
// or through a descriptor costs the same: "Jpeg" for VipsForeignLoadJpegFile and
// VipsForeignLoadJpegSource alike.
std::string_view loaderFamily(std::string_view loaderClass);

} // namespace quillmorph
