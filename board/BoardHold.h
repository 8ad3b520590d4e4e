#pragma once
// A board held by one transfer. One process at a time works on a board: a transfer waits a short while
// for another process to let go of its board, and fails without doing anything when it does not. The
// board's file (see BoardFile) keeps, between processes, the mark that the board's clock may differ
// from the clock source of its stored configuration, which makes the next save select the clock again.
// While a board is held, requests to end the process are held off (see TerminationHold).
//
// No message waits for the user while the board is held: what the transfer shows meanwhile goes to
// User(), which keeps it, and Release lets go of the board and of the requests to end the process
// before it shows those messages, in their order, with their texts and icons. So other programs can
// take the board while a message is open. Messages that wait for nobody (printed lines) are shown as
// they come, so a program ended by a request held off meanwhile has printed them all.
//
// Nothing is held, and nothing marked, where the device keeps no board files (test channels) or is
// not open; messages are then shown at once unless requests to end the process are held off.

#include "BoardFile.h"
#include "Prompts.h"
#include "TerminationHold.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace ruva {

class Driver;

// How long a transfer waits for another process to let go of its board.
inline constexpr std::chrono::seconds BoardWait{5};

class BoardHold {
public:
    // Takes board `board`; when another process keeps it, shows so at once with the stop icon.
    BoardHold(Driver& driver, Prompts& user, int board);
    // Releases what is still held; ended by an exception, lets go without showing the messages kept.
    ~BoardHold();
    BoardHold(const BoardHold&) = delete;
    BoardHold& operator=(const BoardHold&) = delete;

    // Another process kept the board all the time: the transfer must not start.
    bool IsBusy() const { return status_ == BoardFile::Status::Busy; }

    // The messages of what runs within the hold. File dialogs are not offered there (they answer as if
    // cancelled): they would wait for the user.
    Prompts& User() { return kept_; }

    // When the board's file could not be used, says that the transfer goes on without the lock and
    // the mark (warning icon).
    void WarnWithoutFile();

    bool ClockUnsure() const { return file_.ClockUnsure(); }
    // Stores or clears the mark; false when it could not be stored.
    bool MarkClockUnsure(bool unsure) { return file_.SetClockUnsure(unsure); }

    // Lets go of the board and of the requests to end the process, then shows the messages kept; from
    // then on User() shows them at once. Once is enough: a second call does nothing more.
    void Release();

private:
    class KeptMessages final : public Prompts {
    public:
        explicit KeptMessages(Prompts& user) : user_(user) {}
        void ShowMessage(std::string_view text, MessageIcon icon) override;
        std::optional<std::string> ChooseFileToOpen(const FileDialogOptions&) override {
            return std::nullopt;
        }
        std::optional<std::string> ChooseFileToSave(const FileDialogOptions&) override {
            return std::nullopt;
        }
        // From now on messages are shown at once, those kept first.
        void ShowKept();
        void Drop() { kept_.clear(); }

        bool Keeping = false;

    private:
        Prompts& user_;
        std::vector<std::pair<std::string, MessageIcon>> kept_;
    };

    BoardFile file_;
    std::optional<BoardFile::Status> status_; // none: nothing to hold
    std::optional<TerminationHold> termination_;
    KeptMessages kept_;
    int exceptions_; // exceptions in flight when the hold was taken
};

} // namespace ruva
