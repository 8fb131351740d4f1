#include "Profile.h"

#include <QFile>
#include <limits>
#include <optional>

namespace quillmorph {

namespace {

// Larger files are not settings files; reading them would only cost memory.
constexpr qint64 kMaxProfileBytes = 1 << 20;

std::optional<QString> sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype end = t.indexOf(QLatin1Char(']'));
    return end < 0 ? t.mid(1).trimmed() : t.mid(1, end - 1).trimmed();
}

QString unquoted(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

Profile::Profile(const QString& text) : lines_(text.split(QLatin1Char('\n'))) {
    for (QString& line : lines_) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
}

Profile Profile::fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxProfileBytes)
        return {};
    return Profile(QString::fromUtf8(file.read(kMaxProfileBytes)));
}

QString Profile::readString(const QString& section, const QString& key,
                            const QString& fallback) const {
    bool inSection = false;
    for (const QString& line : lines_) {
        if (const auto name = sectionName(line)) {
            inSection = name->compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection || line.trimmed().startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return unquoted(line.mid(eq + 1));
    }
    return fallback;
}

int Profile::readInt(const QString& section, const QString& key, int fallback) const {
    const QString none = QStringLiteral("\x01");
    const QString value = readString(section, key, none);
    if (value == none)
        return fallback;
    qsizetype i = 0;
    const bool negative = value.startsWith(QLatin1Char('-'));
    if (negative)
        ++i;
    qint64 number = 0;
    for (; i < value.size() && value.at(i).isDigit() && value.at(i).unicode() < 128; ++i) {
        number = number * 10 + (value.at(i).unicode() - '0');
        if (number > std::numeric_limits<int>::max())
            number = std::numeric_limits<int>::max();
    }
    return int(negative ? -number : number);
}

} // namespace quillmorph
