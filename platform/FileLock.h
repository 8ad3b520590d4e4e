#pragma once
// An exclusive lock on a file, between processes, held until Unlock, destruction or the end of the
// process: the boards' lock files, the simulator's state, state lock and socket lock, and the file
// that names the state the stand-in driver serves. The file is created when missing (on POSIX systems
// with mode 0600) and refused when it is a symbolic link, not a regular file, or not the programs' own
// (see ForeignFile). While held, it may carry a short text that others read (HeldText).

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ruva {

class FileLock {
public:
    enum class Status {
        Locked,      // this process holds the file
        Busy,        // another process held it all the time given
        Unavailable, // the file could not be created, opened or locked (FailedAt and Error say why)
    };
    enum class Failure { None, Open, NotRegular, Foreign, Lock };

    // On Windows, who may do what with a file that belongs to the machine rather than to one user. Such a
    // file and the folder it is made in (at first use) get their own access lists: Administrators and
    // SYSTEM have full control and alone may change a list, an owner or a name; other users may create
    // files in the folder and read them.
    enum class Machine {
        No,             // the user's own file, with the folder's security
        Shared,         // every user may also lock it and write its content (the boards' lock files)
        Administrators, // only Administrators and SYSTEM may write it, and it is made theirs; one found that
                        // another user could have written is replaced (what names the state the
                        // stand-in serves)
    };

    struct Options {
        bool Create = true; // otherwise only an existing file is locked, opened for reading
        Machine Access = Machine::No;
    };

    FileLock() = default;
    ~FileLock() = default;
    FileLock(FileLock&&) = default;
    FileLock& operator=(FileLock&&) = default;

    // Opens the file at `path` and locks it, trying again until `wait` has passed while another
    // process holds it.
    Status Lock(const std::string& path, std::chrono::milliseconds wait, Options options);
    Status Lock(const std::string& path, std::chrono::milliseconds wait) {
        return Lock(path, wait, Options{});
    }
    void Unlock() { held_.reset(); }
    bool IsLocked() const { return held_ != nullptr; }

    const std::string& Path() const { return path_; }
    Failure FailedAt() const { return failure_; }
    // The system's reason, "not a regular file", or why the file is not the programs' own.
    const std::string& Error() const { return error_; }
    // Who owns a file refused as another user's (FailedAt() is Foreign): the user's name, or "uid N"
    // when the system knows none; empty otherwise (on Windows always: owners are not compared there).
    const std::string& Owner() const { return owner_; }

    // Whether the held file has content; true when it cannot be read.
    bool HasContent() const;
    // Makes `text` the whole content of the held file, durably. Empty on success, otherwise the
    // system's reason.
    std::string Store(std::string_view text);
    // What the file at `path` holds while another process has it locked; empty otherwise (nobody holds
    // it, so what it says may be left over from a process that has ended).
    static std::string HeldText(const std::string& path);
#ifdef _WIN32
    // The same for a file that no one but Administrators, SYSTEM and this process's user can have
    // written: one of them owns it, and its access list lets no one else change it
    // (Machine::Administrators makes such a file). Empty for any other.
    static std::string TrustedText(const std::string& path);
    // The security descriptor (self-relative) that a machine file, or its folder, is made with, owned by
    // Administrators.
    static std::vector<unsigned char> MachineSecurityDescriptor(Machine access, bool folder);
#endif

    struct Held; // the platform's open and locked file

private:
    // One try.
    Status TryLock(const Options& options);

    std::shared_ptr<Held> held_;
    std::string path_;
    Failure failure_ = Failure::None;
    std::string error_;
    std::string owner_;
};

} // namespace ruva
