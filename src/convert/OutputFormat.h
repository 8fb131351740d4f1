#pragma once

#include "LeadImage.h"

#include <QString>
#include <array>
#include <optional>

namespace quillmorph {

struct OutputFormat {
    const char* name;      // as chosen in the format box
    const char* extension; // appended to the output name
    FormatCode code;
};

// The eight formats in the order the format box lists them.
const std::array<OutputFormat, 8>& outputFormats();

// Exact, case-sensitive lookup of a format box text.
std::optional<OutputFormat> outputFormatFor(const QString& text);

} // namespace quillmorph
