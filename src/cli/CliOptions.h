#pragma once

#include "BatchInterfaces.h"

#include <QByteArrayList>
#include <QString>
#include <optional>

namespace quillmorph {

// What the command line asked for, on top of the stored settings.
struct CliRequest {
    ConversionSettings settings;
    FilePath outputParent; // the dated folder goes in here
    FilePaths files;
    bool showHelp = false;
    bool showVersion = false;
};

// Parses arguments (without the program name, as the bytes the shell passed, so that file
// names need not be UTF-8) over the stored defaults. Returns the request, or nothing with
// error set to a one-line explanation of the usage error.
std::optional<CliRequest> parseCommandLine(const QByteArrayList& arguments,
                                           const ConversionSettings& defaults,
                                           const FilePath& defaultOutputParent, QString& error);

QString cliUsage();

} // namespace quillmorph
