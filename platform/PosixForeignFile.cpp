#include "ForeignFile.h"

#include <cerrno>
#include <cstring>

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
        return "it belongs to another user";
    return {};
}

} // namespace ruva
