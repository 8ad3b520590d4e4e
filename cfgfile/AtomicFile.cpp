#include "AtomicFile.h"

#include "FileReplace.h"

namespace ruva {

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() {
    if (handle_ >= 0)
        filereplace::CloseFile(handle_);
    handle_ = -1;
    if (!temporary_.empty())
        filereplace::RemoveFile(temporary_);
    temporary_.clear();
}

std::error_code AtomicFile::Open(const std::string& path) {
    Discard();
    int mode = -1;
    if (const std::error_code error = filereplace::PrepareTarget(path, target_, mode))
        return error;
    // A name of its own beside the target, so that the rename stays within one file system.
    const std::string stem = target_ + ".~" + std::to_string(filereplace::ProcessId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + std::to_string(attempt);
        const std::error_code error = filereplace::CreateNew(name, mode, handle_);
        if (!error) {
            temporary_ = name;
            return {};
        }
        if (error != std::errc::file_exists)
            return error;
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code AtomicFile::Commit(std::string_view text) {
    if (handle_ < 0)
        return std::make_error_code(std::errc::bad_file_descriptor);
    const int handle = handle_;
    handle_ = -1; // closed by WriteSyncClose whatever happens
    std::error_code error = filereplace::WriteSyncClose(handle, text);
    if (!error)
        error = filereplace::RenameOver(temporary_, target_);
    if (error) {
        Discard();
        return error;
    }
    temporary_.clear();
    return {};
}

} // namespace ruva
