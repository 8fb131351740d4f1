#include "frontend/PlacesWindows.h"

#include "frontend/Places.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace quillmorph::places {

namespace {

const QString kFileName = QStringLiteral("quillmorph.ini");

const wchar_t* wide(const QString& nativePath) {
    return reinterpret_cast<const wchar_t*>(nativePath.utf16());
}

QString knownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    // Freed even when the call failed, as the shell asks.
    CoTaskMemFree(path);
    return folder;
}

QString windowsDirectory() {
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer, int(length)));
}

// The variable the user may point elsewhere wins, as %APPDATA% would in a batch file.
QString variableOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : QDir::fromNativeSeparators(value);
}

bool isFile(const QString& path) {
    const DWORD attributes = GetFileAttributesW(wide(QDir::toNativeSeparators(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool isReadOnlyFile(const QString& path) {
    const DWORD attributes = GetFileAttributesW(wide(QDir::toNativeSeparators(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Only making a file there tells: Program Files carries no read-only attribute, its access
// list refuses an ordinary user.
bool folderTakesFiles(const QString& folder) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QString probe = QDir(folder).filePath(QStringLiteral(".quillmorph-%1-%2.probe")
                                                        .arg(GetCurrentProcessId())
                                                        .arg(GetTickCount64() + attempt));
        const HANDLE handle =
            CreateFileW(wide(QDir::toNativeSeparators(probe)), GENERIC_WRITE, 0, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

SettingsCandidate candidate(const QString& path) {
    return {path, isFile(path), false};
}

// Under UAC an old program's writes to C:\Windows went to the same path, its drive taken away,
// inside the user's VirtualStore.
QString virtualStoreCopy(const QString& localAppData, const QString& windowsFolder) {
    QString tail = windowsFolder;
    if (tail.size() >= 2 && tail.at(1) == QLatin1Char(':'))
        tail.remove(0, 2);
    return QDir(localAppData + QStringLiteral("/VirtualStore") + tail).filePath(kFileName);
}

} // namespace

SettingsFacts settingsFacts(const QString& programFolder) {
    const QString appData = variableOr("APPDATA", knownFolder(FOLDERID_RoamingAppData));
    const QString localAppData = variableOr("LOCALAPPDATA", knownFolder(FOLDERID_LocalAppData));
    const QString windows = variableOr("windir", windowsDirectory());
    SettingsFacts facts;
    facts.besideProgram = candidate(QDir(programFolder).filePath(kFileName));
    facts.besideProgram.writable = facts.besideProgram.exists &&
                                   !isReadOnlyFile(facts.besideProgram.path) &&
                                   folderTakesFiles(programFolder);
    facts.userFolder = candidate(QDir(appData).filePath(QStringLiteral("quillmorph/") + kFileName));
    facts.virtualStore = candidate(virtualStoreCopy(localAppData, windows));
    facts.windowsFolder = candidate(QDir(windows).filePath(kFileName));
    return facts;
}

SettingsFiles settingsFiles() {
    return chooseSettingsFiles(settingsFacts(QCoreApplication::applicationDirPath()));
}

QString settingsFilePath() {
    return takeOverSettingsFile(settingsFiles());
}

QString desktopFolder() {
    // Redirected to OneDrive or a network share, the system still names it here.
    const QString desktop = knownFolder(FOLDERID_Desktop);
    return desktop.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                             : desktop;
}

} // namespace quillmorph::places
