#include "files/NamePattern.h"

#include <algorithm>

namespace quillmorph {

namespace {

// NUL aside, which parse refuses as a part as it always has.
bool isControl(QChar ch) {
    return (ch.category() == QChar::Other_Control && !ch.isNull()) || ch == QChar::LineSeparator ||
           ch == QChar::ParagraphSeparator;
}

// A title of dots alone ("", ".", "...") names no visible file.
bool onlyDots(const QByteArray& title) {
    return std::all_of(title.begin(), title.end(), [](char c) { return c == '.'; });
}

// At most kMaxTitleBytes: the cut steps back to the start of the character it falls in, which
// is never more than three bytes back in UTF-8. A name that is not UTF-8 (Shift_JIS) is cut
// where it falls rather than walked back to nothing.
QByteArray cutToLength(QByteArray title, qsizetype length) {
    if (title.size() <= length)
        return title;
    qsizetype cut = length;
    for (int back = 0; back < 3 && cut > 0 && (uchar(title.at(cut)) & 0xC0) == 0x80; ++back)
        --cut;
    if ((uchar(title.at(cut)) & 0xC0) == 0x80)
        cut = length;
    title.truncate(cut);
    return title;
}

} // namespace

std::optional<NamePattern> NamePattern::parse(const QString& text, QString* badPart, Fault* fault) {
    const auto refuse = [&](const QString& part,
                            Fault why = Fault::Part) -> std::optional<NamePattern> {
        if (badPart)
            *badPart = part;
        if (fault)
            *fault = why;
        return std::nullopt;
    };
    if (text.startsWith(QLatin1Char('.')))
        return refuse(QStringLiteral("."), Fault::Hidden);
    if (const auto control = std::find_if(text.begin(), text.end(), isControl);
        control != text.end())
        return refuse(QString(*control), Fault::Control);
    NamePattern pattern;
    pattern.text_ = text;
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            pattern.parts_ << Part{std::nullopt, literal.toUtf8()};
        literal.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('/') || ch.isNull())
            return refuse(QString(ch));
        const bool doubled = i + 1 < text.size() && text.at(i + 1) == ch;
        if ((ch == QLatin1Char('{') || ch == QLatin1Char('}')) && doubled) {
            literal += ch;
            ++i;
            continue;
        }
        if (ch != QLatin1Char('{')) {
            literal += ch;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('}'), i);
        if (close < 0)
            return refuse(text.mid(i));
        const QString name = text.mid(i + 1, close - i - 1);
        const auto fields = patternFields();
        const auto known = std::find_if(fields.begin(), fields.end(), [&](const PatternField& f) {
            return name == QLatin1String(f.name);
        });
        if (known == fields.end())
            return refuse(text.mid(i, close - i + 1));
        flush();
        pattern.parts_ << Part{known->kind, {}};
        i = close;
    }
    flush();
    return pattern;
}

bool NamePattern::usesDate() const {
    return std::any_of(parts_.begin(), parts_.end(),
                       [](const Part& p) { return p.field == PatternFieldKind::Date; });
}

QByteArray NamePattern::expand(const NameFields& fields) const {
    QByteArray title;
    for (const Part& part : parts_) {
        if (!part.field) {
            title += part.text;
            continue;
        }
        switch (*part.field) {
        case PatternFieldKind::Name:
            title += fields.name;
            break;
        case PatternFieldKind::Number: {
            const int width = int(QByteArray::number(std::max(fields.count, 1)).size());
            title += QByteArray::number(fields.number).rightJustified(width, '0');
            break;
        }
        case PatternFieldKind::Width:
            title += QByteArray::number(fields.width);
            break;
        case PatternFieldKind::Height:
            title += QByteArray::number(fields.height);
            break;
        case PatternFieldKind::Date:
            title += fields.date;
            break;
        case PatternFieldKind::Preset:
            title += fields.preset.toUtf8();
            break;
        }
    }
    // A field's bytes (a preset's name) must not make a path of the name either.
    title.replace('/', '_').replace('\0', '_');
    title = cutToLength(title, kMaxTitleBytes);
    if (onlyDots(title))
        title = cutToLength(fields.name, kMaxTitleBytes);
    return title;
}

} // namespace quillmorph
