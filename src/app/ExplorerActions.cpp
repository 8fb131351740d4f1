#include "ExplorerActions.h"

#include <QByteArray>

namespace quillmorph {

namespace {

const QString kVerb = QStringLiteral("quillmorph");

// Explorer shows a plain verb for at most 15 selected items unless told it takes any number.
const RegistryValue kAnyNumberOfItems{QStringLiteral("MultiSelectModel"), QStringLiteral("Player")};

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

// Explorer puts the file's full name where %1 stands; Windows allows no '"' in a name.
QString command(const QString& program, const QString& preset) {
    QString line = quoted(program);
    if (!preset.isEmpty())
        line += QStringLiteral(" --preset-id ") + presetId(preset);
    return line + QStringLiteral(" -- \"%1\"");
}

// Explorer orders a submenu's items by their key names.
QString itemKey(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

void addSubmenu(std::vector<RegistryKey>& keys, const QString& root, const FileManagerMenu& menu,
                const QString& program) {
    keys.push_back({root,
                    {{QStringLiteral("MUIVerb"), menu.submenu},
                     {QStringLiteral("Icon"), quoted(program) + QStringLiteral(",0")},
                     {QStringLiteral("SubCommands"), QString()},
                     kAnyNumberOfItems}});
    const auto addItem = [&](int number, const QString& text, const QString& preset) {
        const QString item = root + QStringLiteral("\\shell\\") + itemKey(number);
        keys.push_back({item, {{QStringLiteral("MUIVerb"), text}, kAnyNumberOfItems}});
        keys.push_back({item + QStringLiteral("\\command"), {{QString(), command(program, preset)}}});
    };
    addItem(0, menu.windowChoices, {});
    int number = 0;
    for (const auto& [name, label] : menu.presets)
        addItem(++number, label, name);
}

} // namespace

QStringList explorerPictureTypes() {
    return {QStringLiteral(".jpg"),  QStringLiteral(".jpeg"), QStringLiteral(".jpe"),
            QStringLiteral(".jfif"), QStringLiteral(".png"),  QStringLiteral(".gif"),
            QStringLiteral(".webp"), QStringLiteral(".bmp"),  QStringLiteral(".dib"),
            QStringLiteral(".tif"),  QStringLiteral(".tiff"), QStringLiteral(".heic"),
            QStringLiteral(".heif"), QStringLiteral(".avif"), QStringLiteral(".jxl"),
            QStringLiteral(".psd"),  QStringLiteral(".pct"),  QStringLiteral(".pict"),
            QStringLiteral(".ras"),  QStringLiteral(".svg"),  QStringLiteral(".ppm")};
}

QStringList explorerActionRoots() {
    QStringList roots;
    for (const QString& type : explorerPictureTypes())
        roots << QStringLiteral("SystemFileAssociations\\%1\\shell\\%2").arg(type, kVerb);
    roots << QStringLiteral("Directory\\shell\\") + kVerb;
    return roots;
}

std::vector<RegistryKey> explorerActionKeys(const FileManagerMenu& menu, const QString& program) {
    std::vector<RegistryKey> keys;
    for (const QString& root : explorerActionRoots())
        addSubmenu(keys, root, menu, program);
    return keys;
}

QString presetId(const QString& name) {
    return QString::fromLatin1(name.toUtf8().toHex());
}

std::optional<QString> presetNameFromId(const QString& id) {
    if (id.isEmpty() || id.size() % 2 != 0)
        return std::nullopt;
    for (const QChar c : id) {
        if (!(c.isDigit() || (c >= u'a' && c <= u'f')))
            return std::nullopt;
    }
    const QByteArray bytes = QByteArray::fromHex(id.toLatin1());
    const QString name = QString::fromUtf8(bytes);
    // Bytes that are not UTF-8 name no preset of ours.
    if (name.toUtf8() != bytes)
        return std::nullopt;
    return name;
}

} // namespace quillmorph
