#pragma once
// Replaces a file as a whole. The new content goes to a temporary file beside the target, is written
// in full, flushed to the disk and only then put in the target's place, so a failure at any step leaves
// an existing file exactly as it was and creates none. The replacement keeps the file's permissions
// and, as far as the process may, its owner and group; for a link, the file it points to is replaced.
//
// Where the system has them (Linux), the temporary file has no name until the commit, so a process
// killed while saving leaves nothing behind (but for the instant between naming it `NAME.~PID-N` and
// renaming it over an existing target). Elsewhere it is named `NAME.~PID-N` all along (NAME shortened
// so the whole name fits the file system) and removed when the save is abandoned. Such names left by a
// process that no longer runs are removed at the next save of the same file.
//
// An existing target that is not a regular file (a FIFO, a terminal, a device) is written in place, as
// any program writing to it would. A name of one of the descriptors that the process was started with
// (/dev/stdout, /dev/fd/N and the like; see filereplace::Inherited) is written through that descriptor,
// at its current position, and it stays open: whatever the descriptor leads to, a regular file
// included, is never replaced. A name of any other descriptor is refused.

#include <string>
#include <string_view>
#include <system_error>

namespace ruva {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Opens the file that receives the text for `path`. Fails, creating nothing, when the target could
    // not be written: a directory, a read-only file, a folder that does not exist or cannot be written,
    // a link that leads nowhere.
    std::error_code Open(const std::string& path);
    // After a failed Open: the target itself could be written, but its folder refused the new file.
    bool FolderNotWritable() const { return folderNotWritable_; }
    // After a failed Open: the path names a descriptor that the process was not started with.
    bool NotGiven() const { return notGiven_; }

    // Writes `text`, syncs it, and puts it in the target's place.
    std::error_code Commit(std::string_view text);

    // The temporary name for `target` at try `attempt`, short enough for the longest file name.
    static std::string TemporaryName(const std::string& target, unsigned long processId, int attempt);

private:
    enum class Kind { Named, Unnamed, InPlace, Descriptor };

    void Discard();
    std::error_code OpenNamed();
    std::error_code LinkIntoPlace();

    std::string target_;
    std::string temporary_;
    int handle_ = -1;
    int mode_ = -1; // -1: the target does not exist yet
    Kind kind_ = Kind::Named;
    bool folderNotWritable_ = false;
    bool notGiven_ = false;
};

} // namespace ruva
