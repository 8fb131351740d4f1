#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quillmorph {

// An INI ("private profile") file held as its lines. Sections and keys match without regard
// to case; values are trimmed, and a value in matching quotes loses them.
class Profile {
public:
    Profile() = default;
    explicit Profile(const QString& text);

    // Reads a file as UTF-8 text; a missing, unreadable or oversized file gives an empty profile.
    static Profile fromFile(const QString& path);

    // Like fromFile, but tells a missing file (an empty profile) from one that exists and
    // cannot be used (nothing), which a save must leave alone.
    static std::optional<Profile> read(const QString& path);

    // The value, or fallback when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;

    // True when section holds key.
    bool contains(const QString& section, const QString& key) const;

    // The value's leading decimal digits (after an optional minus sign); 0 when it has none;
    // fallback when the key is missing.
    int readInt(const QString& section, const QString& key, int fallback) const;

    // Sets key in section: the value of an existing key is replaced in place (its line keeps its
    // place and spelling), a new key goes after the section's last entry, a new section at the
    // end. Every other line is kept as it was.
    void writeString(const QString& section, const QString& key, const QString& value);

    // The file's text; line breaks as the file had them ("\n" for a new file).
    QString text() const;

    // Replaces the file at path atomically: a reader sees the old or the new file, never a torn
    // one. False when it could not be written (the old file is then left as it was).
    bool saveTo(const QString& path) const;

private:
    QStringList lines_;
    QString lineBreak_ = QStringLiteral("\n");
};

} // namespace quillmorph
