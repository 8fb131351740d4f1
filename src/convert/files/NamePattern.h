#pragma once

#include "files/PatternFields.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace quillmorph {

// What an output's name can be made of.
struct NameFields {
    QByteArray name; // the source's name without its extension, its bytes
    int number = 1;  // the output's place in the batch, from 1
    int count = 1;   // how many pictures the batch holds: {n} is padded to its width
    int width = 0;   // the output's size in pixels
    int height = 0;
    QByteArray date; // YYYYMMDD: the photo's date taken, else the file's date
    QString preset;  // the preset the batch runs with; empty for none
};

// An output name pattern such as "{name}_{w}x{h}" or "shop_{n}": text with the fields of
// patternFields(); "{{" and "}}" stand for a brace. The name it gives never
// holds a '/' or NUL, so an output cannot leave its folder.
class NamePattern {
public:
    NamePattern() = default;

    // Why a text is no pattern.
    enum class Fault {
        Part,    // a '/', a NUL, an unknown or unclosed field: badPart holds it as written
        Hidden,  // it begins with '.': every output would be a hidden file
        Control, // a line break or another control character, which no file name should hold
    };

    // The pattern text means; nothing when it is none, with badPart and fault set to why.
    static std::optional<NamePattern> parse(const QString& text, QString* badPart = nullptr,
                                            Fault* fault = nullptr);

    bool isEmpty() const { return parts_.isEmpty(); }
    const QString& text() const { return text_; }
    // True when a field needs the photo's date.
    bool usesDate() const;

    // The output's title (its extension comes after it); the source's name when the pattern
    // gives nothing or only dots. At most kMaxTitleBytes, cut at a character's start.
    QByteArray expand(const NameFields& fields) const;

    static constexpr int kMaxTitleBytes = 200;

    friend bool operator==(const NamePattern& a, const NamePattern& b) {
        return a.text_ == b.text_;
    }

private:
    struct Part {
        std::optional<PatternFieldKind> field; // nothing: text as written
        QByteArray text;                       // text only
    };
    QString text_;
    QList<Part> parts_;
};

} // namespace quillmorph
