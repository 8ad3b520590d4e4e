// The state file's platform part on Windows: names go to the wide calls as UTF-8 (see Utf16.h); the lock
// is a byte-range lock on the lock file, which the system releases when the process ends.

#include "StateFile.h"

#include "ForeignFile.h"
#include "Utf16.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shlobj.h>

namespace ruva::sim {

namespace {

// `what`, and the reason of the last failed call, taken before anything else can change it.
std::string SystemError(const char* what, const std::string& name, DWORD code = ::GetLastError()) {
    return what + name + ": " + std::system_category().message(static_cast<int>(code));
}

} // namespace

std::string DefaultStatePath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return "simulated-boards.json";
    return Narrow(folder) + "\\RuvasetW\\simulated-boards.json";
}

std::string CreateStateFolder(const std::string& statePath) {
    const std::size_t slash = statePath.find_last_of("/\\");
    if (slash == std::string::npos)
        return {};
    const std::string folder = statePath.substr(0, slash);
    if (!::CreateDirectoryW(Widen(folder).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return SystemError("cannot create ", folder);
    return {};
}

std::string ResolveStatePath(const std::string& path, std::string& error) {
    const std::wstring wide = Widen(path);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        error = SystemError("cannot resolve the state file ", path);
        return {};
    }
    full.resize(length);
    return Narrow(full);
}

std::string ReadStateText(const std::string& path, std::size_t limit, std::string& text, bool& missing) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        missing = code == ERROR_FILE_NOT_FOUND;
        return missing ? std::string() : SystemError("cannot read the state file ", path, code);
    }
    std::string error;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        error = "the state file " + path + " is not a regular file";
    } else if (const std::string foreign = ForeignFileReason(file); !foreign.empty()) {
        // Each change replaces the file, which would part its other names from the boards.
        error = "the state file " + path + " is refused: " + foreign;
    } else {
        char buffer[8192];
        DWORD n = 0;
        while (text.size() <= limit) {
            if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
                error = SystemError("cannot read the state file ", path);
                break;
            }
            if (n == 0)
                break;
            text.append(buffer, n);
        }
    }
    ::CloseHandle(file);
    return error;
}

} // namespace ruva::sim
