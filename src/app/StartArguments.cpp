#include "StartArguments.h"

#include "ExplorerActions.h"
#include "CommandLineAnswer.h"

namespace quillmorph {

StartArguments parseStartArguments(const QByteArrayList& arguments) {
    StartArguments start;
    qsizetype at = 0;
    if (arguments.size() >= 2 && arguments[0] == "--preset") {
        start.preset = commandLine::text(arguments[1]);
        at = 2;
    } else if (arguments.size() >= 2 && arguments[0] == "--preset-id") {
        const QString id = commandLine::text(arguments[1]);
        start.preset = presetNameFromId(id).value_or(QStringLiteral("--preset-id ") + id);
        at = 2;
    }
    if (at < arguments.size() && arguments[at] == "--")
        ++at;
    for (; at < arguments.size(); ++at)
        start.files << FilePath::fromNative(arguments[at]).absolute();
    return start;
}

} // namespace quillmorph
