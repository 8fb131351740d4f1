#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace quillmorph {

// An INI ("private profile") file held as the bytes of its lines. Sections and keys match
// without regard to (ASCII) case; values are trimmed, and a value in matching quotes loses them.
// Values are read and written as UTF-8; every other byte of the file (other sections,
// comments, any encoding, each line's own line break) is kept exactly as it was.
class Profile {
public:
    Profile() = default;
    explicit Profile(const QByteArray& bytes);
    explicit Profile(const QString& text) : Profile(text.toUtf8()) {}

    // Reads a file; a missing, unreadable or oversized file gives an empty profile.
    static Profile fromFile(const QString& path);
    // True when the file at path is larger than any settings file (kMaxBytes): it is then read
    // as empty and never written.
    static bool tooLarge(const QString& path);
    static constexpr qint64 kMaxBytes = 1 << 20;

    // The file to be written back: tells a missing file (an empty profile) from one that exists
    // and cannot be used (nothing), which a save must leave alone: a folder, a file too large,
    // or one holding NUL bytes, which no settings file does.
    static std::optional<Profile> read(const QString& path);

    // The value, or fallback when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;

    // True when section holds key.
    bool contains(const QString& section, const QString& key) const;

    // The value's leading decimal digits (after an optional minus sign); 0 when it has none;
    // fallback when the key is missing.
    int readInt(const QString& section, const QString& key, int fallback) const;

    // Sets key in section: the value of an existing key is replaced in place (its line keeps its
    // place, spelling and line break), a new key goes after the section's last entry, a new
    // section at the end. Every other byte is kept as it was.
    void writeString(const QString& section, const QString& key, const QString& value);

    // The keys of section, in the file's order, as spelt there, with their values (as
    // readString gives them), in one pass over the file: thousands of keys read in linear time.
    QList<std::pair<QString, QString>> entries(const QString& section) const;

    // Takes key's line out of section; every other byte is kept.
    void remove(const QString& section, const QString& key);

    // The file's bytes.
    QByteArray bytes() const;

    // Replaces the file at path atomically (through a link, its target): a reader sees the old
    // or the new file, never a torn one. False when it could not be written (the old file is
    // then left as it was).
    bool saveTo(const QString& path) const;

private:
    struct Line {
        QByteArray text;   // without its line break
        QByteArray ending; // "\n", "\r\n", or empty for a last line without one
    };
    // The line of key in section; -1 when there is none.
    qsizetype find(const QByteArray& section, const QByteArray& key) const;

    QList<Line> lines_;
    QByteArray lineBreak_ = "\n"; // for lines this adds: the file's own
};

} // namespace quillmorph
