// Any name: the title is a prefix of the name and loses at most its last extension (a dot in
// last place does not start one).
#include "FileNames.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString base = quillmorph::GetBaseName(path);
    if (base.contains(QLatin1Char('/')) || !path.endsWith(base))
        std::abort();
    const QString title = quillmorph::ufnGetFileTitle(base);
    if (!base.startsWith(title) || (!base.isEmpty() && title.isEmpty()))
        std::abort();
    if (title != base) {
        const QString extension = base.mid(title.size());
        if (!extension.startsWith(QLatin1Char('.')) || extension.size() < 2 ||
            extension.mid(1).chopped(1).contains(QLatin1Char('.')))
            std::abort();
    }
    return 0;
}
