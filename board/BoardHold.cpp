#include "BoardHold.h"

#include "Driver.h"
#include "MessageFormat.h"
#include "Texts.h"

#include <algorithm>

namespace ruva {

namespace {

// How often a transfer waiting for another process's board looks at the time limit.
constexpr std::chrono::milliseconds WaitSlice{100};

} // namespace

BoardHold::BoardHold(Driver& driver, int board) : board_(board) {
    if (TimeIsUp()) {
        refusal_ = Refusal::TimeUp;
        return;
    }
    const std::string prefix = driver.IsOpen() ? driver.Traits().FilesPrefix() : std::string();
    if (!prefix.empty()) {
        const auto deadline = std::chrono::steady_clock::now() + BoardWait;
        BoardFile::Status status;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            status = file_.Lock(prefix, board, std::clamp(left, std::chrono::milliseconds(0), WaitSlice));
            if (status != BoardFile::Status::Busy || left <= WaitSlice || TimeIsUp())
                break;
        }
        refusal_ = status == BoardFile::Status::Unavailable ? Refusal::LockUnusable
                   : status != BoardFile::Status::Busy      ? Refusal::None
                   : TimeIsUp()                             ? Refusal::TimeUp
                                                            : Refusal::Busy;
    }
    if (refusal_ == Refusal::None)
        termination_.emplace();
}

Message BoardHold::RefusedMessage() const {
    switch (refusal_) {
    case Refusal::Busy:
        return {"board_busy", MessageIcon::Stop,
                FormatText(texts::BoardBusy, {board_, static_cast<int>(BoardWait.count())})};
    case Refusal::LockUnusable:
        return {"board_lock_unusable", MessageIcon::Stop,
                FormatText(texts::BoardLockUnusable, {file_.Path(), file_.Error(), board_})};
    case Refusal::TimeUp:
        return {"time_limit_before_transfer", MessageIcon::Stop,
                FormatText(texts::TimeUpBeforeTransfer, {board_})};
    case Refusal::None:
        break;
    }
    return {};
}

void BoardHold::Release() {
    file_.Unlock();
    // A request to end the process that came meanwhile ends it here, before any message is shown.
    termination_.reset();
}

} // namespace ruva
