#pragma once

#include "CliOptions.h"

#include <QByteArray>
#include <QString>
#include <span>

namespace quillmorph {

// The parse so far, which each option's handler adds to.
struct ParseState {
    CliRequest request;
    bool sizeGiven = false;
    bool noSizeGiven = false;
    bool onlyFiles = false;
    bool presetPass = false; // the first walk, which looks only for --preset
    QString presetText;
};

// An option's value as the shell passed it (kept for file names, which need not be UTF-8) and
// as text; both empty for a switch.
struct OptionValue {
    QByteArray raw;
    QString text;
};

// Applies one option; false, with error set to the usage error, refuses it.
using OptionHandler = bool (*)(ParseState& state, const OptionValue& value, QString& error);

// One row of the command line: how it is written, what it does to the parse, and what --help
// says of it. An option written two ways (--quality Q and --quality auto) has a row for each,
// with the same handler.
struct CliOption {
    const char* name;     // "--size"
    const char* argument; // the value as --help names it ("WxH"); nullptr for a switch
    OptionHandler apply;
    const char* description;       // English, under "quillmorph-cli"; nullptr: not in --help
    QString (*detail)() = nullptr; // what fills the description's %1, if it has one
};

// Every option, in the order --help lists them.
std::span<const CliOption> cliOptions();

// The option written name, or nullptr.
const CliOption* findOption(const QString& name);

// The row's description in the program's language, its %1 filled.
QString describedOption(const CliOption& option);

} // namespace quillmorph
