#pragma once

#include <vips/vips8>

namespace quillmorph {

class ColourTransforms;

// Pixels as the engine works on them, whatever the file held (CMYK, 16 bit, grey, a Display
// P3 or Adobe RGB profile …): 8-bit sRGB with at most one alpha band. Colours described by an
// embedded profile, or CMYK, are carried into sRGB before the profile is dropped. Lazy, like
// every libvips operation; throws vips::VError. transforms, when given, supplies the batch's
// transforms for embedded RGB profiles.
vips::VImage normalisedSrgb(vips::VImage in, ColourTransforms* transforms = nullptr);

// Whether normalisedSrgb carries in's colours through a colour profile (an embedded one, or
// CMYK's stock one): the one step that builds an lcms transform, worth putting off until the
// pixels are wanted. Reads the header only.
bool needsProfileTransform(const vips::VImage& in);

// The image without its binary metadata (EXIF, XMP, profiles), for a copy held in memory. Such
// a copy outlives the pipeline it was made from, but not its metadata: libvips 8.14's HEIF
// loader keeps EXIF and XMP in memory that goes with the loaded image, and a fill of an iPhone
// photo read them after they were freed. Give it pixels with their profile applied; EXIF
// travels apart (LeadImage::exif).
vips::VImage withoutBlobs(const vips::VImage& image);

} // namespace quillmorph
