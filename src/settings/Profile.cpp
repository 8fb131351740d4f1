#include "settings/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>
#include <optional>

namespace quillmorph {

namespace {

// Larger files are not settings files; reading them would only cost memory.
constexpr qint64 kMaxProfileBytes = Profile::kMaxBytes;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

std::optional<QByteArray> sectionName(QByteArray line) {
    if (line.startsWith(kUtf8Bom))
        line.remove(0, kUtf8Bom.size());
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype end = t.indexOf(']');
    return end < 0 ? t.mid(1).trimmed() : t.mid(1, end - 1).trimmed();
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isComment(const QByteArray& line) {
    return line.trimmed().startsWith(';');
}

// The position of '=' in a key's line, or -1 for any other line.
qsizetype keyEnd(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    return eq > 0 && !isComment(line) ? eq : -1;
}

// QString::fromUtf8 drops a leading byte-order mark; a key's own is kept, so that a name is
// seen as it is spelt (and refused as one no preset may have).
QString keyText(const QByteArray& key) {
    const QString text = QString::fromUtf8(key);
    return key.startsWith(kUtf8Bom) ? QChar(0xFEFF) + text : text;
}

QByteArray unquoted(QByteArray value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

Profile::Profile(const QByteArray& bytes) {
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', at);
        const qsizetype end = newline < 0 ? bytes.size() : newline;
        Line line{bytes.mid(at, end - at), newline < 0 ? QByteArray() : QByteArray("\n")};
        if (line.text.endsWith('\r') && newline >= 0) {
            line.text.chop(1);
            line.ending = "\r\n";
        }
        if (lines_.isEmpty() && !line.ending.isEmpty())
            lineBreak_ = line.ending;
        lines_ << line;
        at = end + 1;
    }
}

namespace {

// The file's bytes: empty when it is missing, nothing when it cannot be a settings file.
std::optional<QByteArray> fileBytes(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    QFile file(path);
    if (!info.isFile() || info.size() > kMaxProfileBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxProfileBytes + 1);
    if (bytes.size() > kMaxProfileBytes)
        return std::nullopt;
    return bytes;
}

} // namespace

Profile Profile::fromFile(const QString& path) {
    // A NUL ends a value where it stands, as in a fixed buffer; the rest is read.
    return Profile(fileBytes(path).value_or(QByteArray()));
}

bool Profile::tooLarge(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() > kMaxProfileBytes;
}

std::optional<Profile> Profile::read(const QString& path) {
    const std::optional<QByteArray> bytes = fileBytes(path);
    if (!bytes || bytes->contains('\0'))
        return std::nullopt;
    return Profile(*bytes);
}

qsizetype Profile::find(const QByteArray& section, const QByteArray& key) const {
    bool inSection = false;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QByteArray& line = lines_[i].text;
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        const qsizetype eq = keyEnd(line);
        if (inSection && eq > 0 && sameName(line.left(eq).trimmed(), key))
            return i;
    }
    return -1;
}

void Profile::writeString(const QString& section, const QString& key, const QString& rawValue) {
    // One value, one line: a line break typed into a box must not split the file, nor a NUL
    // make it a file that is not text.
    QByteArray value = rawValue.toUtf8();
    value.replace('\r', ' ').replace('\n', ' ').replace('\0', ' ');
    const QByteArray sectionBytes = section.toUtf8();
    const QByteArray keyBytes = key.toUtf8();
    if (const qsizetype at = find(sectionBytes, keyBytes); at >= 0) {
        QByteArray& line = lines_[at].text;
        line = line.left(keyEnd(line) + 1) + value;
        return;
    }
    qsizetype sectionAt = -1;
    qsizetype lastEntry = -1;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (const auto name = sectionName(lines_[i].text)) {
            if (sectionAt >= 0)
                break;
            if (sameName(*name, sectionBytes))
                sectionAt = lastEntry = i;
            continue;
        }
        if (sectionAt >= 0 && !lines_[i].text.trimmed().isEmpty())
            lastEntry = i;
    }
    const qsizetype at = sectionAt < 0 ? lines_.size() : lastEntry + 1;
    // A last line without its break gets one when a line comes after it.
    if (at == lines_.size() && !lines_.isEmpty() && lines_.back().ending.isEmpty())
        lines_.back().ending = lineBreak_;
    if (sectionAt < 0)
        lines_ << Line{'[' + sectionBytes + ']', lineBreak_};
    lines_.insert(sectionAt < 0 ? lines_.size() : at, Line{keyBytes + '=' + value, lineBreak_});
}

QList<std::pair<QString, QString>> Profile::entries(const QString& section) const {
    const QByteArray wanted = section.toUtf8();
    QList<std::pair<QString, QString>> entries;
    bool inSection = false;
    for (const Line& line : lines_) {
        if (const auto name = sectionName(line.text)) {
            inSection = sameName(*name, wanted);
            continue;
        }
        if (const qsizetype eq = keyEnd(line.text); inSection && eq > 0)
            entries.emplace_back(keyText(line.text.left(eq).trimmed()),
                                 QString::fromUtf8(unquoted(line.text.mid(eq + 1))));
    }
    return entries;
}

void Profile::remove(const QString& section, const QString& key) {
    if (const qsizetype at = find(section.toUtf8(), key.toUtf8()); at >= 0)
        lines_.removeAt(at);
}

QByteArray Profile::bytes() const {
    QByteArray all;
    for (const Line& line : lines_)
        all += line.text + line.ending;
    return all;
}

bool Profile::saveTo(const QString& path) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    // QSaveFile writes a link's target, as dotfile managers expect of a linked settings file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray all = bytes();
    if (file.write(all) != all.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString Profile::readString(const QString& section, const QString& key,
                            const QString& fallback) const {
    const qsizetype at = find(section.toUtf8(), key.toUtf8());
    if (at < 0)
        return fallback;
    const QByteArray& line = lines_[at].text;
    return QString::fromUtf8(unquoted(line.mid(keyEnd(line) + 1)));
}

bool Profile::contains(const QString& section, const QString& key) const {
    return find(section.toUtf8(), key.toUtf8()) >= 0;
}

int Profile::readInt(const QString& section, const QString& key, int fallback) const {
    const qsizetype at = find(section.toUtf8(), key.toUtf8());
    if (at < 0)
        return fallback;
    const QByteArray& line = lines_[at].text;
    const QByteArray value = unquoted(line.mid(keyEnd(line) + 1));
    qsizetype i = 0;
    const bool negative = value.startsWith('-');
    if (negative)
        ++i;
    qint64 number = 0;
    for (; i < value.size() && value.at(i) >= '0' && value.at(i) <= '9'; ++i) {
        number = number * 10 + (value.at(i) - '0');
        if (number > std::numeric_limits<int>::max())
            number = std::numeric_limits<int>::max();
    }
    return int(negative ? -number : number);
}

} // namespace quillmorph
