#include "files/SystemHandleWindows.h"

namespace quillmorph {

void SystemHandle::reset() {
    if (isOpen())
        ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(native_, kNone)));
}

std::wstring finalPathOf(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

std::wstring plainPath(std::wstring finalPath) {
    const std::wstring_view unc = L"\\\\?\\UNC\\";
    const std::wstring_view local = L"\\\\?\\";
    if (finalPath.starts_with(unc) && finalPath.size() - unc.size() + 2 < MAX_PATH)
        return L"\\\\" + finalPath.substr(unc.size());
    if (finalPath.starts_with(local) && finalPath.size() - local.size() < MAX_PATH)
        return finalPath.substr(local.size());
    return finalPath;
}

} // namespace quillmorph
