#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QString>

namespace quillmorph {

// A path as the bytes the file system holds. Names need not be valid UTF-8 (Latin-1 or
// Shift_JIS names unpacked from old archives), so a path never makes a round trip through
// QString: it is opened, named and renamed by its bytes, and decoded only to be shown.
//
// On Linux the bytes are the name itself, passed to the system as they are. A Windows name is
// UTF-16 that need not be valid either (an unpaired surrogate is a legal name there), so it is
// kept as WTF-8 in the same byte string: UTF-8, with each unpaired surrogate written as the
// three bytes its code point would take. That is lossless both ways and is plain UTF-8 for
// every valid name, so everything above the system calls (names, extensions, '/' splits,
// display(), portableText()) works unchanged; only the files room's …Windows.cpp converts, at
// the call, WTF-8 to UTF-16 and back ('/' and '\' both separators there).
class FilePath {
public:
    FilePath() = default;
    // A path that exists as text (typed, or one of Qt's standard locations), encoded as the
    // file system's UTF-8. Implicit so that text paths read naturally; the lossy direction,
    // display(), is always spelled out.
    FilePath(const QString& text); // NOLINT(google-explicit-constructor)
    static FilePath fromNative(QByteArray bytes);

    const QByteArray& native() const { return bytes_; }
    const char* c_str() const { return bytes_.constData(); }
    bool isEmpty() const { return bytes_.isEmpty(); }
    // For the user's eyes only: bytes that are not UTF-8 become U+FFFD.
    QString display() const;
    // The bytes for a terminal: control characters (C0, DEL, and C1 written in UTF-8) as
    // "\xHH" escapes, so that a name can neither drive the terminal nor split a line; every
    // other byte as it is.
    QByteArray printable() const;
    // The bytes as text a settings file keeps whole: UTF-8 as it is, but "%", control
    // characters, quotes, a space at either end and every byte that is not valid UTF-8 as %XX.
    QString portableText() const;
    static FilePath fromPortableText(const QString& text);

    // The part after the last '/'.
    QByteArray fileName() const;
    // Everything before the last '/'; "/" for a file in the root.
    FilePath parent() const;
    // This folder joined with name.
    FilePath child(const QByteArray& name) const;
    FilePath child(const QString& name) const { return child(name.toUtf8()); }
    // Made absolute against the current folder, "." and ".." segments resolved by name.
    FilePath absolute() const;

    friend bool operator==(const FilePath&, const FilePath&) = default;

private:
    explicit FilePath(QByteArray bytes) : bytes_(std::move(bytes)) {}
    QByteArray bytes_;
};

inline size_t qHash(const FilePath& path, size_t seed = 0) {
    return qHash(path.native(), seed);
}

using FilePaths = QList<FilePath>;

// The local files a text/uri-list names (a drag from a file manager), each with the bytes its
// percent-encoding carries; comments and URLs of other hosts or schemes are left out.
FilePaths localFilesFromUriList(const QByteArray& uriList);

} // namespace quillmorph
