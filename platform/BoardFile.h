#pragma once
// The file that a board's transfers keep between processes, "<prefix>-board<N>.lock", where the prefix
// is the device channel's BoardFilesPrefix. A process locks it while it works on the board, so that
// one process at a time does; the lock goes with the process, however it ends. While locked, the file
// also carries one mark: that the board's clock may differ from the clock source of its stored
// configuration (its content is then not empty). One BoardFile per board and process: a second one
// finds the board busy.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace ruva {

class BoardFile {
public:
    enum class Status {
        Locked,      // this process holds the board
        Busy,        // another process held it all the time given
        Unavailable, // the file could not be created, opened or locked (Error says why)
    };

    BoardFile() = default;
    ~BoardFile();
    BoardFile(const BoardFile&) = delete;
    BoardFile& operator=(const BoardFile&) = delete;

    static std::string PathFor(const std::string& prefix, int board);

    // Opens the file of `board` under `prefix`, creating it (and on Windows its folder), and locks it,
    // trying again until `wait` has passed while another process holds it.
    Status Lock(const std::string& prefix, int board, std::chrono::milliseconds wait);

    // The same for the file at `path`, which holds what its holder stores (see Store).
    Status LockPath(const std::string& path, std::chrono::milliseconds wait);

    // Lets go of the file and its lock.
    void Unlock() { held_.reset(); }

    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

    // The mark, while locked. A file that cannot be read counts as marked.
    bool ClockUnsure() const;
    // Stores the mark durably; false when it could not be stored.
    bool SetClockUnsure(bool unsure);

    // Makes `text` the whole content of the locked file, durably; false when it could not.
    bool Store(std::string_view text);
    // What the file at `path` holds while another process has it locked; empty otherwise (nobody holds
    // it, so what it says may be left over from a process that has ended).
    static std::string HeldText(const std::string& path);

    struct Held; // the platform's open and locked file

private:
    std::shared_ptr<Held> held_;
    std::string path_;
    std::string error_;
};

} // namespace ruva
