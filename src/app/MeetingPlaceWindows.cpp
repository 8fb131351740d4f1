#include "MeetingPlaceWindows.h"

#include "MeetingPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace quillmorph::meeting {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};
template <typename T> using LocalMemory = std::unique_ptr<T, LocalFreer>;

std::wstring wide(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// A SID by its bytes: equal bytes are the same SID.
QByteArray sidBytes(PSID sid) {
    if (!sid || !::IsValidSid(sid))
        return {};
    return QByteArray(static_cast<const char*>(sid), qsizetype(::GetLengthSid(sid)));
}

// The user the process runs as; empty when its token cannot be read (another user's process).
QByteArray tokenUser(HANDLE process) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    const Handle held(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    return sidBytes(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

QByteArray thisUser() {
    return tokenUser(::GetCurrentProcess());
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    return ::IsWellKnownSid(sid, type) != FALSE;
}

// The owners and holders of access that leave a folder the user's alone: the user, and the
// system and administrators, who can take any folder anyway (an elevated copy's folders are
// the administrators' by default).
bool isTrusted(PSID sid, const QByteArray& user) {
    return sidBytes(sid) == user || isWellKnown(sid, WinLocalSystemSid) ||
           isWellKnown(sid, WinBuiltinAdministratorsSid);
}

// True when no access the DACL grants reaches anyone but the trusted; a folder without a DACL
// is open to everybody. A grant of a kind not read here counts as open.
bool onlyTrustedMayEnter(PACL dacl, const QByteArray& user) {
    if (!dacl)
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry))
            return false;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) || header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (!isTrusted(reinterpret_cast<PSID>(&allowed->SidStart), user))
            return false;
    }
    return true;
}

// What a name is: a real folder (no junction or link), a file or nothing, and whose.
struct Entry {
    bool exists = false;
    bool folder = false;
    bool link = false;
    bool own = false;    // owned by the user (or the trusted)
    bool closed = false; // no one else may enter
};

Entry entryAt(const QString& path) {
    Entry entry;
    std::wstring name = wide(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (path.isEmpty() || attributes == INVALID_FILE_ATTRIBUTES)
        return entry;
    entry.exists = true;
    entry.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return entry;
    const LocalMemory<void> held(descriptor);
    const QByteArray user = thisUser();
    entry.own = !user.isEmpty() && isTrusted(owner, user);
    entry.closed = entry.own && onlyTrustedMayEnter(dacl, user);
    return entry;
}

// Full control for the user and the system, inherited by what the folder holds, nothing from
// the folder above (protected).
LocalMemory<void> privateDescriptor() {
    const QString sddl = QStringLiteral("D:P(A;OICI;FA;;;%1)(A;OICI;FA;;;SY)").arg(thisUserSid());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (thisUserSid().isEmpty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                       wide(sddl).c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return LocalMemory<void>(descriptor);
}

// Through a handle to the folder itself (a link is not followed), the descriptor as it is:
// protected, so nothing is inherited from the folder above. (Wine applies a DACL set so, and
// not one given to SetSecurityInfo.)
bool closeToOthers(const QString& path, PSECURITY_DESCRIPTOR descriptor) {
    const HANDLE opened = ::CreateFileW(
        wide(path).c_str(), WRITE_DAC | READ_CONTROL,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    const Handle folder(opened);
    return ::SetKernelObjectSecurity(folder.get(), DACL_SECURITY_INFORMATION, descriptor) != FALSE;
}

bool pipeIsTheUsersAlone(HANDLE pipe, const QByteArray& user) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(pipe, SE_KERNEL_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                          &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const LocalMemory<void> held(descriptor);
    return !user.isEmpty() && sidBytes(owner) == user && onlyTrustedMayEnter(dacl, user);
}

} // namespace

QString thisUserSid() {
    QByteArray sid = thisUser();
    LPWSTR text = nullptr;
    if (sid.isEmpty() || !::ConvertSidToStringSidW(sid.data(), &text))
        return {};
    const LocalMemory<wchar_t> held(text);
    return QString::fromWCharArray(text);
}

quint32 thisSession() {
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    return session;
}

QString userTagOf(const QString& sid, quint32 session) {
    return QStringLiteral("%1-%2").arg(sid).arg(session);
}

// A user may be logged on in two sessions at once (console and remote desktop), each with a
// window of its own: the lock in the user's folder carries the session too.
QString userTag() {
    return userTagOf(thisUserSid(), thisSession());
}

// Pipes are named in one namespace for the whole machine, not in a folder: the socket's file
// name alone, which carries the user's SID and the session, keeps users and sessions apart.
// Nobody else can listen in our place unnoticed: SingleInstance makes the pipe with
// UserAccessOption (a DACL for this user alone), and each end checks the other's user with
// peerIsThisUser, so a pipe of that name made first by someone else gets nothing.
QString serverName(const QString& socketFile) {
    return QFileInfo(socketFile).fileName();
}

// A drive's path ("C:\…", "C:/…") or a server's ("\\server\…"). "\p" and "C:p" are not: they
// depend on the current drive or folder of whoever wrote them.
bool isFullPath(const QByteArray& path) {
    const auto separator = [&](qsizetype i) {
        return i < path.size() && (path[i] == '/' || path[i] == '\\');
    };
    const char letter = path.isEmpty() ? '\0' : char(path[0] | 0x20);
    const bool drive = letter >= 'a' && letter <= 'z' && path.size() > 1 && path[1] == ':';
    return (drive && separator(2)) || (separator(0) && separator(1));
}

// No folder of the session's own; the names carry the session.
QString sessionFolder() {
    return {};
}

// The local application data (%LOCALAPPDATA%) and the temporary folder are the user's own on
// Windows; neither roams to other machines.
QStringList fallbackFolders() {
    return {QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                .filePath(QStringLiteral("quillmorph")),
            QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                .filePath(QStringLiteral("quillmorph"))};
}

bool isPrivateFolder(const QString& path) {
    const Entry entry = entryAt(path);
    return entry.folder && !entry.link && entry.closed;
}

bool madePrivate(const QString& path) {
    const LocalMemory<void> descriptor = privateDescriptor();
    if (!descriptor)
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    std::wstring name = wide(path);
    ::CreateDirectoryW(name.c_str(), &attributes);
    const Entry entry = entryAt(path);
    if (!entry.folder || entry.link || !entry.own)
        return false;
    return entry.closed || (closeToOthers(path, descriptor.get()) && isPrivateFolder(path));
}

// The process at the far end: the pipe names both ends' processes, and the end that is not this
// process is the peer (both are, when one process holds both ends). Where the system names
// neither (Wine), the pipe itself answers: one this user owns and nobody else may open was made
// by this user's copy (SingleInstance listens with UserAccessOption), and only this user could
// have opened it. Nobody else can make an object owned by this user without privileges that
// would let them do anything anyway.
bool peerIsThisUser(const QLocalSocket& socket) {
    const qintptr descriptor = socket.socketDescriptor();
    if (descriptor == 0 || descriptor == -1)
        return false;
    const auto pipe = reinterpret_cast<HANDLE>(descriptor);
    ULONG client = 0;
    ULONG server = 0;
    ::GetNamedPipeClientProcessId(pipe, &client);
    ::GetNamedPipeServerProcessId(pipe, &server);
    const ULONG peer = server == ::GetCurrentProcessId() ? client : server;
    const QByteArray user = thisUser();
    if (peer == 0)
        return pipeIsTheUsersAlone(pipe, user);
    const Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, peer));
    return process && !user.isEmpty() && tokenUser(process.get()) == user;
}

// Deleting a link removes the link, never what it points to.
void removeUnlessOwn(const QString& path) {
    const Entry entry = entryAt(path);
    if (entry.exists && !entry.folder && (entry.link || !entry.own))
        ::DeleteFileW(wide(path).c_str());
}

} // namespace quillmorph::meeting
