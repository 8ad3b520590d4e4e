#include "AtomicFile.h"

#include "FileReplace.h"

#include <algorithm>
#include <cstdio>

namespace ruva {

namespace {

// The longest file name (in bytes) of the common file systems.
constexpr std::size_t NameMax = 255;
constexpr int Attempts = 100;

} // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() {
    if (handle_ >= 0 && kind_ != Kind::Descriptor)
        filereplace::CloseFile(handle_);
    handle_ = -1;
    if (!temporary_.empty())
        filereplace::RemoveFile(temporary_);
    temporary_.clear();
}

std::string AtomicFile::TemporaryName(const std::string& target, unsigned long processId, int attempt) {
    const std::size_t slash = target.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string suffix = ".~" + std::to_string(processId) + "-" + std::to_string(attempt);
    const std::size_t keep = std::min(target.size() - nameStart, NameMax - suffix.size());
    return target.substr(0, nameStart + keep) + suffix;
}

std::error_code AtomicFile::Open(const std::string& path) {
    Discard();
    folderNotWritable_ = false;
    notGiven_ = false;
    if (const int own = filereplace::NamedDescriptor(path); own >= 0) {
        kind_ = Kind::Descriptor;
        target_ = path;
        // One that the program opened itself (a device, a lock, a state file) is no file for the user.
        if (!filereplace::Inherited(own)) {
            notGiven_ = true;
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        if (const std::error_code error = filereplace::CheckWritable(own))
            return error;
        handle_ = own;
        return {};
    }
    if (const std::error_code error = filereplace::PrepareTarget(path, target_, mode_))
        return error;
    filereplace::RemoveAbandoned(target_);
    if (filereplace::WrittenInPlace(target_)) {
        kind_ = Kind::InPlace;
        return filereplace::OpenInPlace(target_, handle_);
    }
    if (!filereplace::CreateUnnamed(target_, mode_, handle_)) {
        kind_ = Kind::Unnamed;
        if (mode_ >= 0)
            filereplace::KeepOwner(handle_, target_, mode_);
        return {};
    }
    return OpenNamed();
}

// A name of its own beside the target, so that the rename stays within one file system.
std::error_code AtomicFile::OpenNamed() {
    kind_ = Kind::Named;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const std::string name = TemporaryName(target_, filereplace::ProcessId(), attempt);
        const std::error_code error = filereplace::CreateNew(name, mode_, handle_);
        if (!error) {
            temporary_ = name;
            if (mode_ >= 0)
                filereplace::KeepOwner(handle_, target_, mode_);
            return {};
        }
        if (error != std::errc::file_exists) {
            folderNotWritable_ =
                error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
            return error;
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code AtomicFile::LinkIntoPlace() {
    // A new file gets its name in one step; an existing one is replaced through a temporary name,
    // which exists only between these two calls.
    std::error_code error = std::make_error_code(std::errc::file_exists);
    if (mode_ < 0)
        error = filereplace::LinkUnnamed(handle_, target_, true);
    for (int attempt = 0; error == std::errc::file_exists && attempt < Attempts; ++attempt) {
        const std::string name = TemporaryName(target_, filereplace::ProcessId(), attempt);
        error = filereplace::LinkUnnamed(handle_, name, false);
        if (!error) {
            temporary_ = name;
            error = filereplace::RenameOver(name, target_);
            if (!error)
                temporary_.clear();
        }
    }
    return error;
}

std::error_code AtomicFile::Commit(std::string_view text) {
    if (handle_ < 0)
        return std::make_error_code(std::errc::bad_file_descriptor);
    std::error_code error;
    if (kind_ == Kind::Unnamed) {
        error = filereplace::WriteSync(handle_, text);
        if (error) {
            Discard();
            return error;
        }
        error = LinkIntoPlace();
        if (error && error != std::errc::file_exists && temporary_.empty()) {
            // The file could not be given a name (no /proc, say): once more with a named file.
            Discard();
            error = OpenNamed();
            if (!error)
                return Commit(text);
        }
        Discard();
        return error;
    }
    if (kind_ == Kind::Descriptor) {
        // Whatever this process has buffered for the descriptor goes first.
        std::fflush(nullptr);
        error = filereplace::WriteSync(handle_, text);
        handle_ = -1; // the descriptor stays open
        return error;
    }
    const int handle = handle_;
    handle_ = -1; // closed by WriteSyncClose whatever happens
    error = filereplace::WriteSyncClose(handle, text);
    if (!error && kind_ == Kind::Named)
        error = filereplace::RenameOver(temporary_, target_);
    if (error) {
        Discard();
        return error;
    }
    temporary_.clear();
    return {};
}

} // namespace ruva
