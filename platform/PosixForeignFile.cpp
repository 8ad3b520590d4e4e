#include "ForeignFile.h"

#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva {

std::string ForeignFileReason(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::strerror(errno);
    if (st.st_nlink > 1)
        return "it has more than one hard link";
    if (st.st_uid != ::geteuid())
        return "it belongs to another user (" + OwnerName(st.st_uid) + ")";
    return {};
}

std::string OwnerName(unsigned uid) {
    if (const passwd* entry = ::getpwuid(uid); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    return "uid " + std::to_string(uid);
}

} // namespace ruva
