#pragma once

#include <QString>
#include <QStringList>

namespace quillmorph {

// An INI ("private profile") file held as its lines. Sections and keys match without regard
// to case; values are trimmed, and a value in matching quotes loses them.
class Profile {
public:
    Profile() = default;
    explicit Profile(const QString& text);

    // Reads a file as UTF-8 text; a missing, unreadable or oversized file gives an empty profile.
    static Profile fromFile(const QString& path);

    // The value, or fallback when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;

    // The value's leading decimal digits (after an optional minus sign); 0 when it has none;
    // fallback when the key is missing.
    int readInt(const QString& section, const QString& key, int fallback) const;

private:
    QStringList lines_;
};

} // namespace quillmorph
