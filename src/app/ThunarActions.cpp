#include "ThunarActions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace quillmorph {

namespace {

// Thunar keeps an action's unique-id through the user's edits, so the prefix finds ours again.
const QString kOurIdPrefix = QStringLiteral("quillmorph-");
// What Thunar itself writes when it first saves the file.
const QByteArray kNewFile =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");

// Where the parts of the file that matter to us lie, as byte offsets.
struct UcaLayout {
    std::vector<std::pair<qsizetype, qsizetype>> ours; // our <action> elements, end exclusive
    qsizetype rootStart = -1;                          // where <actions> begins
    qsizetype rootStartEnd = -1;                       // just after <actions>
    qsizetype rootEnd = -1; // where </actions> begins; -1 when written <actions/>
    QString fault;
};

// Why the file is not one Thunar reads (UTF-8, well-formed, <actions> at the root), or empty.
QString readingFault(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)decoder.decode(bytes);
    if (decoder.hasError())
        return QCoreApplication::translate("quillmorph", "UTF-8 のテキストではありません");
    QXmlStreamReader xml(bytes);
    bool root = false;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && !root) {
            root = true;
            if (xml.name() != u"actions")
                xml.raiseError(QCoreApplication::translate("quillmorph",
                                                           "<actions> のファイルではありません"));
        }
    }
    if (xml.hasError())
        return QCoreApplication::translate("quillmorph", "%1 行目: %2")
            .arg(xml.lineNumber())
            .arg(xml.errorString());
    return {};
}

// The reader reports no byte offsets, so the tags of a document it found well-formed are
// found by a plain scan: markup is ASCII, and no UTF-8 sequence holds an ASCII byte. Unless
// checked is false, a document the reader refuses gives its fault and no layout.
UcaLayout readLayout(const QByteArray& bytes, bool checked = true) {
    UcaLayout layout;
    layout.fault = checked ? readingFault(bytes) : QString();
    if (!layout.fault.isEmpty())
        return layout;
    const auto past = [&](const char* end, qsizetype from) {
        const qsizetype at = bytes.indexOf(end, from);
        return at < 0 ? bytes.size() : at + qsizetype(qstrlen(end));
    };
    int depth = 0;
    qsizetype actionStart = -1, idStart = -1;
    QByteArray actionId;
    for (qsizetype at = bytes.indexOf('<'); at >= 0; at = bytes.indexOf('<', at)) {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(at);
        if (rest.startsWith("<!--")) {
            at = past("-->", at + 4);
            continue;
        }
        if (rest.startsWith("<![CDATA[")) {
            at = past("]]>", at);
            continue;
        }
        if (rest.startsWith("<?")) {
            at = past("?>", at);
            continue;
        }
        if (rest.startsWith("<!")) { // a document type, perhaps with declarations in brackets
            const qsizetype bracket = bytes.indexOf('[', at), close = bytes.indexOf('>', at);
            at = past(">", bracket >= 0 && bracket < close ? past("]", bracket) : at);
            continue;
        }
        qsizetype end = at + 1;
        for (char quote = 0; end < bytes.size() && (quote || bytes[end] != '>'); ++end) {
            if (bytes[end] == quote)
                quote = 0;
            else if (!quote && (bytes[end] == '"' || bytes[end] == '\''))
                quote = bytes[end];
        }
        const bool closing = rest.startsWith("</"), empty = bytes[end - 1] == '/';
        ++end;
        qsizetype nameEnd = at + (closing ? 2 : 1);
        while (nameEnd < end && !QByteArrayView(" \t\r\n/>").contains(bytes[nameEnd]))
            ++nameEnd;
        const QByteArrayView name =
            QByteArrayView(bytes).sliced(at + (closing ? 2 : 1), nameEnd - at - (closing ? 2 : 1));
        if (!closing) {
            ++depth;
            if (depth == 1) {
                layout.rootStart = at;
                layout.rootStartEnd = end;
            } else if (depth == 2 && name == "action") {
                actionStart = at;
                actionId.clear();
            } else if (depth == 3 && actionStart >= 0 && name == "unique-id") {
                idStart = end;
            }
        }
        if (closing || empty) {
            if (depth == 3 && idStart >= 0 && closing)
                actionId = bytes.mid(idStart, at - idStart).trimmed();
            idStart = -1;
            if (depth == 2 && actionStart >= 0) {
                // The line break after an action is part of what we wrote.
                if (actionId.startsWith(kOurIdPrefix.toUtf8()))
                    layout.ours.emplace_back(actionStart,
                                             end + (end < bytes.size() && bytes[end] == '\n'));
                actionStart = -1;
            } else if (depth == 1) {
                layout.rootEnd = closing ? at : -1;
            }
            --depth;
        }
        at = end;
    }
    return layout;
}

// Thunar expands %-codes and then hands the line to the shell.
QString commandArgument(const QString& value) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._-]+$"));
    QString quoted = value;
    quoted.replace(u'%', QStringLiteral("%%"));
    if (plain.match(value).hasMatch())
        return quoted;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

// Text an XML element can hold: markup escaped, and each character XML 1.0 does not allow
// (control characters, U+FFFE and U+FFFF, half a surrogate pair) as U+FFFD, so that the file
// stays one Thunar and we can read back.
QString xmlText(const QString& text) {
    QString kept;
    for (const char32_t c : text.toUcs4()) {
        const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                             (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        kept += allowed ? QString::fromUcs4(&c, 1) : QString(QChar::ReplacementCharacter);
    }
    return kept.toHtmlEscaped();
}

QString actionElement(const QString& id, const QString& name, const QString& submenu,
                      const QString& command) {
    return QStringLiteral("<action>\n"
                          "\t<icon>quillmorph</icon>\n"
                          "\t<name>%1</name>\n"
                          "\t<submenu>%2</submenu>\n"
                          "\t<unique-id>%3</unique-id>\n"
                          "\t<command>%4</command>\n"
                          "\t<description></description>\n"
                          "\t<range></range>\n"
                          "\t<patterns>*</patterns>\n"
                          "\t<directories/>\n"
                          "\t<image-files/>\n"
                          "</action>\n")
        .arg(xmlText(name), xmlText(submenu), xmlText(id), xmlText(command));
}

QByteArray ourActions(const ThunarMenu& menu) {
    QString actions = actionElement(kOurIdPrefix + QStringLiteral("window"), menu.windowChoices,
                                    menu.submenu, QStringLiteral("quillmorph %F"));
    int number = 0;
    for (const auto& [name, label] : menu.presets)
        actions += actionElement(
            kOurIdPrefix + QStringLiteral("preset-%1").arg(++number), label, menu.submenu,
            QStringLiteral("quillmorph --preset %1 %F").arg(commandArgument(name)));
    return actions.toUtf8();
}

bool blank(const QByteArray& bytes) {
    return bytes.trimmed().isEmpty();
}

QByteArray cutOut(const QByteArray& bytes,
                  const std::vector<std::pair<qsizetype, qsizetype>>& ranges) {
    QByteArray kept;
    qsizetype from = 0;
    for (const auto& [start, end] : ranges) {
        kept += QByteArrayView(bytes).sliced(from, start - from);
        from = end;
    }
    kept += QByteArrayView(bytes).sliced(from);
    return kept;
}

} // namespace

UcaEdit withoutThunarActions(const QByteArray& current) {
    if (blank(current))
        return {current, {}};
    const UcaLayout layout = readLayout(current);
    if (layout.fault.isEmpty())
        return {cutOut(current, layout.ours), {}};
    // A file made unreadable by an action of ours (an earlier version wrote a name XML cannot
    // hold) is still mended by taking our actions out, when that leaves a file Thunar reads.
    const QByteArray kept = cutOut(current, readLayout(current, false).ours);
    if (readingFault(kept).isEmpty())
        return {kept, {}};
    return {{}, layout.fault};
}

UcaEdit withThunarActions(const QByteArray& current, const ThunarMenu& menu) {
    UcaEdit edit = withoutThunarActions(blank(current) ? kNewFile : current);
    if (!edit.fault.isEmpty())
        return edit;
    const UcaLayout layout = readLayout(edit.bytes);
    const QByteArray actions = ourActions(menu);
    if (layout.rootEnd >= 0)
        edit.bytes.insert(layout.rootEnd, actions);
    else
        edit.bytes.replace(layout.rootStart, layout.rootStartEnd - layout.rootStart,
                           "<actions>\n" + actions + "</actions>");
    return edit;
}

QString thunarActionsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Thunar/uca.xml");
}

QString rewriteThunarActions(const QString& path,
                             const std::function<UcaEdit(const QByteArray&)>& edit) {
    QFile file(path);
    QByteArray current;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return QCoreApplication::translate("quillmorph", "%1 を読み書きできませんでした: %2")
                .arg(path, file.errorString());
        current = file.readAll();
        file.close();
    }
    const UcaEdit result = edit(current);
    if (!result.fault.isEmpty())
        return QCoreApplication::translate(
                   "quillmorph",
                   "%1 は Thunar の項目のファイルとして読めないため、変更しませんでした "
                   "(%2)。")
            .arg(path, result.fault);
    if (result.bytes == current)
        return {};
    QDir().mkpath(QFileInfo(path).absolutePath());
    // A crash or a full disk half-way leaves the user's other actions as they were.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(result.bytes) != result.bytes.size() ||
        !out.commit())
        return QCoreApplication::translate("quillmorph", "%1 を読み書きできませんでした: %2")
            .arg(path, out.errorString());
    return {};
}

} // namespace quillmorph
