#pragma once
// The file operations that AtomicFile is built on, one implementation per platform. Handles are the
// platform's file descriptors.

#include <string>
#include <string_view>
#include <system_error>

namespace ruva::filereplace {

// Checks that `path` may be replaced and names the file to replace: `path` itself or, for a link, the
// file it points to. Refuses a directory and a read-only file. `mode` receives the permissions that the
// replacement should have (-1: the default for new files).
std::error_code PrepareTarget(const std::string& path, std::string& target, int& mode);

// Creates a new file that did not exist (errc::file_exists when it did), open for writing.
std::error_code CreateNew(const std::string& name, int mode, int& handle);

// Writes all of `text`, then makes it durable and closes the handle, also on failure.
std::error_code WriteSyncClose(int handle, std::string_view text);

// Renames `from` over `to`, replacing it in one step.
std::error_code RenameOver(const std::string& from, const std::string& to);

void CloseFile(int handle);
void RemoveFile(const std::string& name);
unsigned long ProcessId();

} // namespace ruva::filereplace
