#include "frontend/ThisProcess.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <vector>
#include <windows.h>

#include <aclapi.h>

namespace quillmorph::thisProcess {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

// The SID the token holds under one of its classes (the user, or the default owner of what the
// process makes), copied out.
std::vector<BYTE> tokenSid(HANDLE token, TOKEN_INFORMATION_CLASS what) {
    DWORD size = 0;
    GetTokenInformation(token, what, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, what, buffer.data(), size, &size))
        return {};
    // TOKEN_USER and TOKEN_OWNER both begin with the SID's pointer.
    const PSID sid = what == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                       : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    std::vector<BYTE> copy(GetLengthSid(sid));
    CopySid(DWORD(copy.size()), copy.data(), sid);
    return copy;
}

} // namespace

bool processIsGone(qint64 pid) {
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid)));
    // No such process; one of another user's session refuses access and so still runs.
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    return GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

bool ownedByThisUser(const QFileInfo& file) {
    const QString path = QDir::toNativeSeparators(file.absoluteFilePath());
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(reinterpret_cast<const wchar_t*>(path.utf16()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, LocalFreer> freed(descriptor);
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        return false;
    const Handle token(rawToken);
    // An elevated administrator's files are owned by the Administrators group, the token's
    // default owner, rather than by the user.
    for (const TOKEN_INFORMATION_CLASS what : {TokenUser, TokenOwner}) {
        std::vector<BYTE> sid = tokenSid(token.get(), what);
        if (!sid.empty() && EqualSid(owner, sid.data()))
            return true;
    }
    return false;
}

bool standardErrorIsTerminal() {
    // A console answers for its mode; a file, a pipe and NUL (a character device too) do not.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

QByteArrayList temporaryFolderVariables() {
    // GetTempPath, and so Qt, asks TMP first; GLib, and so libvips, asks TEMP.
    return {QByteArrayLiteral("TMP"), QByteArrayLiteral("TEMP")};
}

} // namespace quillmorph::thisProcess
