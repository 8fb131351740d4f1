#pragma once

#include <QByteArray>
#include <vips/vips8>

namespace quillmorph {

// The photo information an output may keep, taken from the source's EXIF block (as libvips
// attaches it, VIPS_META_EXIF_NAME) by a list of what is kept, so that a tag nobody thought of
// never leaks: when it was taken (DateTimeOriginal with OffsetTimeOriginal and
// SubSecTimeOriginal), the camera (Make, Model, LensModel), the exposure (ExposureTime, FNumber,
// ISO, FocalLength), Artist, Copyright and ImageDescription, with Orientation 1 as the pixels
// are upright. GPS, maker notes, serial numbers and the embedded thumbnail are never in it.
// A fresh EXIF block ("Exif\0\0" and a TIFF structure) small enough for one JPEG segment, the
// longest text cut to make it so; empty when the source kept none of these. Any thread.
QByteArray keptExif(const QByteArray& sourceExif);

// The day the photo was taken as "YYYYMMDD", from DateTimeOriginal (else DateTime) of a source's
// EXIF block; empty when it holds no such date. Any thread.
QByteArray exifDateTaken(const QByteArray& sourceExif);

// image with no metadata at all (XMP, IPTC, ICC, comments, thumbnails: none), carrying exif, a
// block keptExif made, so that a saver run without strip writes exactly that EXIF and nothing
// else. An empty exif leaves no EXIF either. Any thread.
vips::VImage withOnlyExif(const vips::VImage& image, const QByteArray& exif);

} // namespace quillmorph
