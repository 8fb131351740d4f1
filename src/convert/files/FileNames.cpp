#include "files/FileNames.h"

#include "files/PathSyntax.h"

namespace quillmorph {

QByteArray GetBaseName(const FilePath& path) {
    return path.fileName();
}

QByteArray ufnGetFileTitle(const QByteArray& name) {
    // Neither the first character (".profile") nor the last ("a.") starts an extension. A '.'
    // byte is never part of a multi-byte character in UTF-8 or Shift_JIS.
    for (qsizetype i = name.size() - 2; i >= 1; --i) {
        if (name.at(i) == '.')
            return name.left(i);
    }
    return name;
}

QByteArray freeOutputName(const Folder& folder, const QByteArray& title,
                          const QByteArray& extension, QSet<FilePath>& taken) {
    const auto key = [&](const QByteArray& name) {
        return FilePath::fromNative(sameFileKey(folder.path().child(name).native()));
    };
    QByteArray name = title + extension;
    for (int n = 2; taken.contains(key(name)) || folder.holds(name); ++n)
        name = title + " (" + QByteArray::number(n) + ')' + extension;
    taken.insert(key(name));
    return name;
}

} // namespace quillmorph
