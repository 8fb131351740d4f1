#include "OutputFormat.h"

#include <array>

namespace quillmorph {

const std::array<OutputFormat, 8>& outputFormats() {
    static const std::array<OutputFormat, 8> formats{{
        {"BMP", ".bmp", FormatCode::Bmp},
        {"JPEG", ".jpg", FormatCode::Jpeg},
        {"PNG", ".png", FormatCode::Png},
        {"GIF", ".gif", FormatCode::Gif},
        {"PSD", ".psd", FormatCode::Psd},
        {"CMP", ".cmp", FormatCode::Cmp},
        {"PCT", ".pct", FormatCode::Pct},
        {"RAS", ".ras", FormatCode::Ras},
    }};
    return formats;
}

std::optional<OutputFormat> outputFormatFor(const QString& text) {
    for (const OutputFormat& format : outputFormats()) {
        if (text == QLatin1String(format.name))
            return format;
    }
    return std::nullopt;
}

} // namespace quillmorph
