#pragma once

#include <QString>
#include <QStringList>
#include <span>

namespace quillmorph {

// What a field of an output name pattern stands for.
enum class PatternFieldKind { Name, Number, Width, Height, Date, Preset };

// One field of an output name pattern: the word between its braces and what it stands for.
// The pattern's parser, the window's help line, the command line's --help and through it the
// manual page all read the fields from here, so a new field is one more row.
struct PatternField {
    PatternFieldKind kind;
    const char* name;        // "name" for {name}
    const char* description; // English; translated under the context "quillmorph-cli"
};

// Every field, in the order the helps list them.
std::span<const PatternField> patternFields();

// "{name} the source's name", one per field in that order, in the program's language. Any
// thread once the translations are installed.
QStringList describedPatternFields();

} // namespace quillmorph
