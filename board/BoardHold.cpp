#include "BoardHold.h"

#include "Driver.h"
#include "MessageFormat.h"
#include "Texts.h"

namespace ruva {

BoardHold::BoardHold(Driver& driver, int board) : board_(board) {
    const std::string prefix = driver.IsOpen() ? driver.Traits().FilesPrefix() : std::string();
    if (!prefix.empty())
        status_ = file_.Lock(prefix, board, BoardWait);
    if (!IsBusy())
        termination_.emplace();
}

Message BoardHold::Busy() const {
    return {"board_busy", MessageIcon::Stop,
            FormatText(texts::BoardBusy, {board_, static_cast<int>(BoardWait.count())})};
}

void BoardHold::WarnWithoutFile(MessageList& shown) const {
    if (status_ == BoardFile::Status::Unavailable)
        shown.Add("board_file_unavailable", MessageIcon::Warning,
                  FormatText(texts::BoardFileUnavailable, {file_.Path(), file_.Error()}));
}

void BoardHold::Release() {
    file_.Unlock();
    // A request to end the process that came meanwhile ends it here, before any message is shown.
    termination_.reset();
}

} // namespace ruva
