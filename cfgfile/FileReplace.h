#pragma once
// The file operations of the configuration files, one implementation per platform: opening one to read,
// and those that AtomicFile replaces a file with. Handles are the platform's file descriptors. Names
// are UTF-8 on Windows, whatever the system's code page; elsewhere they are the bytes of the name.

#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace ruva::filereplace {

// Opens an existing file to read, in binary; null with `error` set when it cannot, also for a folder.
std::FILE* OpenToRead(const std::string& name, std::error_code& error);

// Checks that `path` may be replaced and names the file to replace: `path` itself or, for a link, the
// file it points to. Refuses a directory, a read-only file, and a link that leads nowhere (dangling, or
// a loop). `mode` receives the permissions that the replacement should have (-1: a new file, with the
// default permissions).
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

// True when `target` exists and is not a regular file (a FIFO, a device, a socket). Such a file is
// written in place, as any program writing to it would, instead of being replaced.
bool WrittenInPlace(const std::string& target);

// Opens an existing file that is written in place.
std::error_code OpenInPlace(const std::string& target, int& handle);

// Creates a file without a name in the folder of `target`, so that a process killed before the
// commit leaves nothing behind. Fails where the system or the file system has no such files.
std::error_code CreateUnnamed(const std::string& target, int mode, int& handle);

// Gives the file of `handle` (made by CreateUnnamed) the name `name`; errc::file_exists when taken.
// With `durable`, the new directory entry is synced too.
std::error_code LinkUnnamed(int handle, const std::string& name, bool durable);

// Removes the temporary files of `target` (see AtomicFile::TemporaryName) that belonged to processes
// that no longer run: a save killed at the wrong moment leaves one behind.
void RemoveAbandoned(const std::string& target);

// Gives the replacement the owner and group of `target`, as far as the process may, then `mode`.
void KeepOwner(int handle, const std::string& target, int mode);

// Writes all of `text` and makes it durable (as far as the file can be synced); the handle stays open.
std::error_code WriteSync(int handle, std::string_view text);

// The process's own open descriptor that `path` names: /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N or /proc/self/fd/N (by any of their names), or a link to one of them; -1 for any other
// path, and where the system has no such names.
int NamedDescriptor(const std::string& path);

// For the very start of a program, before it opens a file: notes the descriptors that the process was
// started with (see Inherited), then opens /dev/null (read-only) on each of the standard descriptors 0-2
// that is closed, so that no file the program opens later takes its number and is read or written as if
// it were the standard input or output. (On Windows the C runtime keeps 0-2 for the standard handles,
// open or not, and no name leads to a descriptor: there is nothing to do.)
void NoteInheritedDescriptors();

// Whether the descriptor was open when NoteInheritedDescriptors last ran: one that the program's caller
// gave it, rather than one of its own files. False for all before the first call; true on Windows.
bool Inherited(int handle);

// Fails unless the descriptor is open for writing.
std::error_code CheckWritable(int handle);

} // namespace ruva::filereplace
