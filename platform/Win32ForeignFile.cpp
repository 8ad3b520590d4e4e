#include "ForeignFile.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <system_error>

namespace ruva {

std::string ForeignFileReason(void* handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return std::system_category().message(static_cast<int>(::GetLastError()));
    if (info.nNumberOfLinks > 1)
        return "it has more than one hard link";
    return {};
}

} // namespace ruva
