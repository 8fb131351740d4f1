#include "engine/OutputFormat.h"

#include <vips/vips.h>

namespace quillmorph {

const std::array<OutputFormat, 12>& outputFormats() {
    // Largest sides: JPEG's 16-bit size fields less libjpeg's margin; PSD version 1; PICT's
    // signed 16-bit frame; WebP's 14 bits; HEIF encoders' 16384 grid; JPEG XL's level-5 limit;
    // 32-bit TIFF fields, held to the engine's own coordinate limit. Least qualities: below Q 5
    // libvips asks libjxl for a distance over its 25, which libjxl refuses, and libvips then
    // encodes at its default distance, ten times larger (and says so on standard error).
    static const std::array<OutputFormat, 12> formats{{
        {"BMP", ".bmp", FormatCode::Bmp, Writer::Magick, "bmp3", "", false, 65535, false, 1},
        {"JPEG", ".jpg", FormatCode::Jpeg, Writer::Jfif, "", "", true, 65500, true, 1},
        {"PNG", ".png", FormatCode::Png, Writer::Vips, "pngsave", "", false, 65535, true, 1},
        {"GIF", ".gif", FormatCode::Gif, Writer::Vips, "gifsave", "", false, 65535, false, 1},
        {"PSD", ".psd", FormatCode::Psd, Writer::Psd, "", "", false, 30000, false, 1},
        // No open library writes CMP; a JFIF stream is what its readers cope with.
        {"CMP", ".cmp", FormatCode::Cmp, Writer::Jfif, "", "", true, 65500, false, 1},
        {"PCT", ".pct", FormatCode::Pct, Writer::Magick, "pict", "", false, 32767, false, 1},
        {"RAS", ".ras", FormatCode::Ras, Writer::Magick, "sun", "", false, 65535, false, 1},
        {"WEBP", ".webp", FormatCode::Webp, Writer::Vips, "webpsave", "", true, 16383, true, 1},
        // The default effort 4 spends 0.9-2.2 s of CPU on a 600 x 450 picture; 0 stays under
        // 0.2 s at every quality, for files 13-36 % larger (bench/avif_effort.sh).
        {"AVIF", ".avif", FormatCode::Avif, Writer::Vips, "heifsave",
         "compression=av1,effort=0,bitdepth=8", true, 16384, true, 1},
        {"JXL", ".jxl", FormatCode::Jxl, Writer::Vips, "jxlsave", "", true, 262144, false, 5},
        {"TIFF", ".tif", FormatCode::Tiff, Writer::Vips, "tiffsave",
         "compression=deflate,predictor=horizontal", false, VIPS_MAX_COORD, false, 1},
    }};
    return formats;
}

const OutputFormat* outputFormatFor(const QString& text) {
    for (const OutputFormat& format : outputFormats()) {
        if (text == QLatin1String(format.name))
            return &format;
    }
    return nullptr;
}

const OutputFormat* outputFormatFor(FormatCode code) {
    for (const OutputFormat& format : outputFormats()) {
        if (format.code == code)
            return &format;
    }
    return nullptr;
}

FormatChoice formatChoiceFor(const QString& text) {
    if (const OutputFormat* row = outputFormatFor(text))
        return {row, {}};
    return {nullptr, text};
}

} // namespace quillmorph
