#include "files/SystemError.h"

#include "files/SystemErrorWordings.h"

#include <cerrno>
#include <cstring>

namespace quillmorph {

EngineStatus statusFromSystemMessage(const QString& text, EngineStatus fallback) {
    const EngineStatus named = errnoStatusNamedIn(text);
    return named != status::kOk ? named : fallback;
}

QStringList temporaryFolderFullWordings() {
    QStringList wordings;
    for (const int error : {ENOSPC, EDQUOT, EFBIG})
        wordings << QString::fromLocal8Bit(std::strerror(error));
    return wordings;
}

} // namespace quillmorph
