#pragma once

#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
#include "engine/SizeLimit.h"
#include "engine/StepStatus.h"
#include "files/Folder.h"

#include <QByteArray>
#include <functional>
#include <vips/vips8>

namespace quillmorph {

class PartialOutput;

// Writes image in format as 8-bit sRGB without metadata under a temporary name in folder, for
// the caller to commit under its final name later (or drop, which removes it). qualityFactor:
// 2 is best (see jpegQualityFromFactor). keepExif: the photo information of the file last
// loaded (KeptExif.h) goes into formats that carry EXIF. A loaded file streams through the
// pipeline once: encode once per Load. Charged to Save, or to Load when the source was damaged.
StepStatus Encode(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                  int qualityFactor, PartialOutput& output, bool keepExif = false);

// Encode held to a file-size limit, for a format it applies to (sizeLimitApplies): the pixels
// are decoded once and encoded at the best quality, not above the one qualityFactor gives,
// whose file fits (SizeLimit.h); result tells how that went.
StepStatus EncodeWithin(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                        int qualityFactor, const SizeLimit& limit, PartialOutput& output,
                        bool keepExif, LimitedEncoding& result);

// Encode at the quality chosen by eye (QualityByEye.h), for a format it applies to, not above
// the one qualityFactor gives; held to limit as well when limit.bytes > 0. result: the bytes'
// quality, and whether they are within the limit.
StepStatus EncodeByEye(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                       int qualityFactor, const SizeLimit& limit, PartialOutput& output,
                       bool keepExif, LimitedEncoding& result);

// Gets image as 8-bit sRGB and the photo information to keep (empty for none), and writes it.
using Writing = std::function<void(const vips::VImage& rgb8, const QByteArray& exif)>;

// What Encode does around its writer, for any other: the checks (an image, an encoder, a size
// the format holds), then write, whose vips::VError becomes the status. folder: where the
// output was going, if anywhere, so that its disappearance is told.
StepStatus encodeWith(const LeadImage& image, const OutputFormat& format, bool keepExif,
                      const Folder& folder, const Writing& write);

} // namespace quillmorph
