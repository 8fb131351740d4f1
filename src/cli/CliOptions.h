#pragma once

#include "BatchInterfaces.h"

#include <QStringList>
#include <optional>

namespace quillmorph {

// What the command line asked for, on top of the stored settings.
struct CliRequest {
    ConversionSettings settings;
    QString outputParent; // the dated folder goes in here
    QStringList files;
    bool showHelp = false;
    bool showVersion = false;
};

// Parses arguments (without the program name) over the stored defaults. Returns the request,
// or nothing with error set to a one-line explanation of the usage error.
std::optional<CliRequest> parseCommandLine(const QStringList& arguments,
                                           const ConversionSettings& defaults,
                                           const QString& defaultOutputParent, QString& error);

QString cliUsage();

} // namespace quillmorph
