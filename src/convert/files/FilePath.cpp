#include "files/FilePath.h"

#include "files/FileSystem.h"
#include "files/PathSyntax.h"

#include <QByteArrayList>
#include <glib.h>

namespace quillmorph {

FilePath::FilePath(const QString& text) : bytes_(text.toUtf8()) {}

FilePath FilePath::fromNative(QByteArray bytes) {
    return FilePath(std::move(bytes));
}

QString FilePath::display() const {
    return QString::fromUtf8(bytes_);
}

QByteArray FilePath::printable() const {
    const auto escaped = [](uchar c) {
        return "\\x" + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
    };
    QByteArray text;
    text.reserve(bytes_.size());
    for (qsizetype i = 0; i < bytes_.size(); ++i) {
        const uchar c = uchar(bytes_[i]);
        const bool c1 = c == 0xC2 && i + 1 < bytes_.size() && uchar(bytes_[i + 1]) >= 0x80 &&
                        uchar(bytes_[i + 1]) <= 0x9F;
        if (c1) {
            text += escaped(c) + escaped(uchar(bytes_[++i]));
        } else if (c < 0x20 || c == 0x7F) {
            text += escaped(c);
        } else {
            text += char(c);
        }
    }
    return text;
}

QString FilePath::portableText() const {
    const auto escaped = [](char c) {
        return '%' + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
    };
    QByteArray text;
    const char* at = bytes_.constData();
    const char* const end = at + bytes_.size();
    while (at < end) {
        const char* invalid = end;
        g_utf8_validate(at, end - at, &invalid);
        for (; at < invalid; ++at) {
            const uchar c = uchar(*at);
            const bool edge = c == ' ' && (at == bytes_.constData() || at + 1 == end);
            text += (c < 0x20 || c == 0x7F || c == '%' || c == '"' || edge) ? escaped(*at)
                                                                            : QByteArray(1, *at);
        }
        if (at < end)
            text += escaped(*at++);
    }
    return QString::fromUtf8(text);
}

FilePath FilePath::fromPortableText(const QString& text) {
    return FilePath(QByteArray::fromPercentEncoding(text.toUtf8()));
}

namespace {

qsizetype lastSeparatorIn(const QByteArray& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isPathSeparator(path[i]))
            return i;
    }
    return -1;
}

QByteArrayList namesIn(const QByteArray& path) {
    QByteArrayList names;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i == path.size() || isPathSeparator(path[i])) {
            names << path.mid(start, i - start);
            start = i + 1;
        }
    }
    return names;
}

} // namespace

QByteArray FilePath::fileName() const {
    return bytes_.mid(lastSeparatorIn(bytes_) + 1);
}

FilePath FilePath::parent() const {
    const qsizetype cut = lastSeparatorIn(bytes_);
    if (cut < 0)
        return FilePath(QByteArray("."));
    const qsizetype root = pathRootLength(bytes_);
    return FilePath(bytes_.left(cut < root ? root : cut));
}

FilePath FilePath::child(const QByteArray& name) const {
    if (bytes_.isEmpty() || isPathSeparator(bytes_.back()))
        return FilePath(bytes_ + name);
    return FilePath(bytes_ + separatorFor(bytes_) + name);
}

FilePath FilePath::absolute() const {
    QByteArray whole = bytes_;
    if (pathRootLength(whole) == 0) {
        const QByteArray current = currentFolder();
        whole = current + separatorFor(current) + whole;
    }
    const qsizetype root = pathRootLength(whole);
    QByteArrayList kept;
    for (const QByteArray& segment : namesIn(whole.mid(root))) {
        if (segment.isEmpty() || segment == ".")
            continue;
        if (segment == "..") {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept << segment;
    }
    const char separator = separatorFor(whole);
    QByteArray rooted = whole.left(root);
    if (!kept.isEmpty() && !rooted.isEmpty() && !isPathSeparator(rooted.back()))
        rooted += separator;
    return FilePath(rooted + kept.join(separator));
}

namespace {

bool isThisMachine(const QByteArray& host) {
    return host.isEmpty() || host == "localhost" || isThisHostName(host);
}

} // namespace

FilePaths localFilesFromUriList(const QByteArray& uriList) {
    FilePaths files;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#') || !line.startsWith("file:"))
            continue;
        QByteArray rest = line.mid(5);
        if (rest.startsWith("//")) {
            const qsizetype slash = rest.indexOf('/', 2);
            const QByteArray host = rest.mid(2, slash < 0 ? -1 : slash - 2);
            if (slash < 0 || !isThisMachine(host))
                continue;
            rest = rest.mid(slash);
        }
        if (!rest.startsWith('/'))
            continue;
        // Percent-decoding yields the name's own bytes, whatever their encoding.
        files << FilePath::fromNative(pathOfFileUri(QByteArray::fromPercentEncoding(rest)));
    }
    return files;
}

} // namespace quillmorph
