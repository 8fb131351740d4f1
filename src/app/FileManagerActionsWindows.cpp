#include "FileManagerActions.h"

#include "ExplorerActions.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <string>

#include <windows.h>
#include <shlobj.h>

namespace quillmorph {

namespace {

const QString kClasses = QStringLiteral("Software\\Classes\\");
// Kept in each of our roots: the keys above it that adding ours made, to take away with it.
const wchar_t kMadeValue[] = L"quillmorph.made";

std::wstring classesKey(const QString& path) {
    return (kClasses + path).toStdWString();
}

QString fault(LSTATUS status) {
    return QCoreApplication::translate("quillmorph", "レジストリを変更できませんでした: %1")
        .arg(qt_error_string(int(status)).trimmed());
}

// path: below HKCU.
bool isEmptyKey(const QString& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.toStdWString().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0;
    DWORD values = 0;
    const LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                            nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

QString readString(HKEY key, const wchar_t* name) {
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS || bytes == 0)
        return {};
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                         &bytes) != ERROR_SUCCESS)
        return {};
    return QString::fromStdWString(text.c_str());
}

LSTATUS writeString(HKEY key, const QString& name, const QString& data) {
    const std::wstring wideName = name.toStdWString();
    const std::wstring wideData = data.toStdWString();
    return RegSetValueExW(key, name.isEmpty() ? nullptr : wideName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wideData.c_str()),
                          DWORD((wideData.size() + 1) * sizeof(wchar_t)));
}

// Makes path key by key, adding to made each one that was not there (HKCU\Software\Classes
// itself is missing from a fresh account).
LSTATUS makeKey(const QString& path, QStringList& made, HKEY& key) {
    const QString full = kClasses + path;
    QString at;
    for (const QString& part : full.split(u'\\')) {
        at += (at.isEmpty() ? QString() : QStringLiteral("\\")) + part;
        DWORD disposition = 0;
        HKEY opened = nullptr;
        const LSTATUS status =
            RegCreateKeyExW(HKEY_CURRENT_USER, at.toStdWString().c_str(), 0, nullptr, 0,
                            KEY_READ | KEY_SET_VALUE, nullptr, &opened, &disposition);
        if (status != ERROR_SUCCESS)
            return status;
        if (disposition == REG_CREATED_NEW_KEY)
            made << at;
        if (at == full) {
            key = opened;
            return ERROR_SUCCESS;
        }
        RegCloseKey(opened);
    }
    return ERROR_INVALID_PARAMETER;
}

// The keys above root that adding it made; empty when root is not there.
QStringList madeFor(const QString& root) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, classesKey(root).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    const QStringList made = readString(key, kMadeValue).split(u'\n', Qt::SkipEmptyParts);
    RegCloseKey(key);
    return made;
}

// Our roots with every key below them, then the keys above them that adding them made, when
// they hold nothing else now (one made for the first root may be above the last one too).
LSTATUS removeAll() {
    QStringList made;
    for (const QString& root : explorerActionRoots()) {
        made << madeFor(root);
        const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, classesKey(root).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    // Deepest first: a parent is empty only once its children have gone.
    std::sort(made.begin(), made.end(),
              [](const QString& a, const QString& b) { return a.count(u'\\') > b.count(u'\\'); });
    made.removeDuplicates();
    for (const QString& above : made) {
        if (isEmptyKey(above))
            RegDeleteKeyW(HKEY_CURRENT_USER, above.toStdWString().c_str());
    }
    return ERROR_SUCCESS;
}

LSTATUS writeAll(const FileManagerMenu& menu) {
    const QString program = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    const QStringList roots = explorerActionRoots();
    for (const RegistryKey& wanted : explorerActionKeys(menu, program)) {
        QStringList made;
        HKEY key = nullptr;
        if (const LSTATUS status = makeKey(wanted.path, made, key); status != ERROR_SUCCESS)
            return status;
        LSTATUS status = ERROR_SUCCESS;
        for (const RegistryValue& value : wanted.values) {
            if (status == ERROR_SUCCESS)
                status = writeString(key, value.name, value.data);
        }
        if (status == ERROR_SUCCESS && roots.contains(wanted.path))
            status = writeString(key, QString::fromWCharArray(kMadeValue), made.join(u'\n'));
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

void tellExplorer() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

} // namespace

FileManagerChange changeFileManagerActions(bool install, const FileManagerMenu& menu) {
    LSTATUS status = removeAll();
    if (install && status == ERROR_SUCCESS) {
        status = writeAll(menu);
        // Nothing half made stays behind.
        if (status != ERROR_SUCCESS)
            removeAll();
    }
    tellExplorer();
    if (status != ERROR_SUCCESS)
        return {{}, fault(status)};
    const QString done =
        install ? QCoreApplication::translate(
                      "quillmorph", "エクスプローラーの右クリックメニューに「%1」を加えました。\n"
                                    "Windows 11 では「その他のオプションを確認」の中にあります。")
                : QCoreApplication::translate(
                      "quillmorph", "エクスプローラーの右クリックメニューから「%1」を除きました。");
    return {done.arg(menu.submenu), {}};
}

bool fileManagerActionsInstalled() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, classesKey(explorerActionRoots().constLast()).c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

QString refreshFileManagerActions(const FileManagerMenu& menu) {
    if (!fileManagerActionsInstalled())
        return {};
    return changeFileManagerActions(true, menu).fault;
}

FileManagerOptions fileManagerOptions() {
    return {"--install-explorer-action", "--remove-explorer-action",
            QCoreApplication::translate(
                "quillmorph",
                "  --install-explorer-action\n"
                "                           add \"Convert with quillmorph\" to Explorer's right-click\n"
                "                           menu (HKCU\\Software\\Classes), with the presets\n"
                "  --remove-explorer-action\n"
                "                           take it away again, leaving nothing of it behind\n"),
            QCoreApplication::translate("quillmorph", "エクスプローラーの右クリックメニューに加える")};
}

} // namespace quillmorph
