#pragma once
// Replaces a file as a whole. The new content goes to a temporary file beside the target, is written
// in full, flushed to the disk and only then renamed over the target, so a failure at any step leaves
// an existing file exactly as it was and creates none. An abandoned temporary file is removed.

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

    // Creates the temporary file for `path`. Fails, creating nothing, when the target could not be
    // written: a directory, a read-only file, a folder that does not exist or cannot be written.
    std::error_code Open(const std::string& path);

    // Writes `text`, syncs it, and renames the temporary file over the target.
    std::error_code Commit(std::string_view text);

private:
    void Discard();

    std::string target_;
    std::string temporary_;
    int handle_ = -1;
};

} // namespace ruva
