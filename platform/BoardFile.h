#pragma once
// The file that a board's transfers keep between processes, "<prefix>-board<N>.lock", where the prefix
// is the chosen device's FilesPrefix. A process locks it while it works on the board, so that
// one process at a time does; the lock goes with the process, however it ends. While locked, the file
// also carries one mark: that the board's clock may differ from the clock source of its stored
// configuration (its content is then not empty). One BoardFile per board and process: a second one
// finds the board busy.

#include "FileLock.h"

#include <chrono>
#include <string>

namespace ruva {

class BoardFile {
public:
    using Status = FileLock::Status;

    static std::string PathFor(const std::string& prefix, int board);

    // Opens the file of `board` under `prefix`, creating it (and on Windows its folder), and locks it,
    // trying again until `wait` has passed while another process holds it.
    Status Lock(const std::string& prefix, int board, std::chrono::milliseconds wait) {
        return lock_.Lock(PathFor(prefix, board), wait, {.Access = FileLock::Machine::Shared});
    }
    // Lets go of the file and its lock.
    void Unlock() { lock_.Unlock(); }

    const std::string& Path() const { return lock_.Path(); }
    const std::string& Error() const { return lock_.Error(); }

    // The mark, while locked. A file that cannot be read counts as marked.
    bool ClockUnsure() const { return lock_.IsLocked() && lock_.HasContent(); }
    // Stores the mark durably; false when it could not be stored.
    bool SetClockUnsure(bool unsure);

private:
    FileLock lock_;
};

} // namespace ruva
