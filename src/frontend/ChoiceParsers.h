#pragma once

#include "batch/ConversionOptions.h"

#include <QString>
#include <optional>

namespace quillmorph {

// The values a user types as text (on the command line, in a preset or a field of the window),
// read into what the options hold. Each gives nothing for a text it does not read; none of them
// says why, which is the caller's wording. Any thread.

// A margin colour: #RRGGBB or a colour name such as white, as 0x00BBGGRR.
std::optional<quint32> parseColour(const QString& text);

// pad, fit or fill.
std::optional<FitMode> parseFitMode(const QString& text);

// centre (or center) or attention.
std::optional<CropAnchor> parseCropAnchor(const QString& text);

// A file-size limit in bytes: KB, or with K or M after it (1.5M is 1536 KB), in whole bytes
// (1.6K is 1638), at most settings::kMaxSizeLimitKB; 0 is no limit.
std::optional<qint64> parseSizeLimit(const QString& text);

// A box in one text: WxH (or WXH), Wx* or *xH, or a percent such as 50%; as boxFromText reads
// its sides.
std::optional<BoxSize> parseBox(const QString& text);

// A quality value from 0 to 100, as the quality factor every save is handed.
std::optional<qint16> parseQuality(const QString& text);

// One of the output formats, by its list name (JPEG, PNG …).
std::optional<FormatChoice> parseFormat(const QString& text);

// The output formats' names, as a list in a sentence: "JPEG, PNG, …".
QString formatNames();

} // namespace quillmorph
