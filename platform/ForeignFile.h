#pragma once
// The programs' own files between processes (the boards' lock files, the simulator's state, its lock
// files and its log) may sit in folders that others can write to, where a name may have been made to
// lead to someone else's file. A symbolic link is never followed there; a hard link to another file, or
// a file that another user owns, is refused the same way once opened: writing, truncating or replacing
// it would harm the file it really is.

#include <string>

namespace ruva {

#ifdef _WIN32
// Why the open file `handle` (a HANDLE) may not be used as one of the programs' own files; empty when
// it may. Only its links count here: the boards' files are the machine's, open to every user, and no
// owner is compared.
std::string ForeignFileReason(void* handle);
#else
// Why the open file `fd` may not be used as one of the programs' own files; empty when it may. One that
// belongs to another user is "it belongs to another user (NAME)", NAME as OwnerName has it.
std::string ForeignFileReason(int fd);

// The name of user `uid`, or "uid N" when the system knows no name for it.
std::string OwnerName(unsigned uid);
#endif

} // namespace ruva
