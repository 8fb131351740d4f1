#pragma once

#include "batch/ConversionOptions.h"
#include "files/FilePath.h"
#include "settings/Presets.h"
#include "settings/StoredChoices.h"

#include <QByteArrayList>
#include <QString>
#include <optional>

namespace quillmorph {

// What the command line asked for, on top of the stored settings.
struct CliRequest {
    ConversionOptions options;
    FilePath outputParent; // the dated folder goes in here
    FilePaths files;
    bool showHelp = false;
    bool showVersion = false;
    bool listPresets = false;
};

// The command line's edge: parses arguments (without the program name, as the bytes the shell
// passed, so that file names need not be UTF-8) over the stored choices, which give every
// option not given (keep-going, the fit mode and crop, never-enlarge, metadata and dates
// excepted: only the command line turns them on, so a script behaves as it always did). A
// --preset (one of presets) goes over those, and every option given goes over the preset,
// wherever it stands. Returns the request, or nothing with error set to a one-line explanation
// of the usage error.
std::optional<CliRequest> parseCommandLine(const QByteArrayList& arguments,
                                           const StoredChoices& stored,
                                           const FilePath& defaultOutputParent, QString& error,
                                           const std::vector<Preset>& presets = builtInPresets());

// The lines of --list-presets: each preset's name for --preset, a tab, its label.
QString presetList(const std::vector<Preset>& presets);

} // namespace quillmorph
