// Any name, whatever its bytes: the title is a prefix of the name and loses at most its last
// extension (a dot in last place does not start one).
#include "files/FileNames.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const quillmorph::FilePath path = quillmorph::FilePath::fromNative(bytes);
    const QByteArray base = quillmorph::GetBaseName(path);
    if (base.contains('/') || !bytes.endsWith(base))
        std::abort();
    const QByteArray title = quillmorph::ufnGetFileTitle(base);
    if (!base.startsWith(title) || (!base.isEmpty() && title.isEmpty()))
        std::abort();
    if (title != base) {
        const QByteArray extension = base.mid(title.size());
        if (!extension.startsWith('.') || extension.size() < 2 ||
            extension.mid(1).chopped(1).contains('.'))
            std::abort();
    }
    return 0;
}
