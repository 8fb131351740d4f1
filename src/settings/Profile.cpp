#include "Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

Profile::Profile(const QString& text) {
    if (text.isEmpty())
        return;
    lines_ = text.split(QLatin1Char('\n'));
    if (lines_.size() > 1 && lines_.front().endsWith(QLatin1Char('\r')))
        lineBreak_ = QStringLiteral("\r\n");
    for (QString& line : lines_) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (lines_.back().isEmpty())
        lines_.removeLast(); // the break after the last line
}

Profile Profile::fromFile(const QString& path) {
    return read(path).value_or(Profile());
}

std::optional<Profile> Profile::read(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Profile();
    QFile file(path);
    if (!info.isFile() || info.size() > kMaxProfileBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return Profile(QString::fromUtf8(file.read(kMaxProfileBytes)));
}

void Profile::writeString(const QString& section, const QString& key, const QString& rawValue) {
    // One value, one line: a line break typed into a box must not split the file.
    QString value = rawValue;
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype sectionAt = -1;
    qsizetype lastEntry = -1;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (const auto name = sectionName(lines_[i])) {
            if (sectionAt >= 0)
                break;
            if (name->compare(section, Qt::CaseInsensitive) == 0)
                sectionAt = lastEntry = i;
            continue;
        }
        if (sectionAt < 0 || lines_[i].trimmed().isEmpty())
            continue;
        lastEntry = i;
        const qsizetype eq = lines_[i].indexOf(QLatin1Char('='));
        if (eq > 0 && !lines_[i].trimmed().startsWith(QLatin1Char(';')) &&
            lines_[i].left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            lines_[i] = lines_[i].left(eq + 1) + value;
            return;
        }
    }
    if (sectionAt < 0) {
        lines_ << QLatin1Char('[') + section + QLatin1Char(']');
        lastEntry = lines_.size() - 1;
    }
    lines_.insert(lastEntry + 1, key + QLatin1Char('=') + value);
}

QString Profile::text() const {
    return lines_.isEmpty() ? QString() : lines_.join(lineBreak_) + lineBreak_;
}

bool Profile::saveTo(const QString& path) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text().toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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

bool Profile::contains(const QString& section, const QString& key) const {
    const QString none = QStringLiteral("\x01");
    return readString(section, key, none) != none;
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
