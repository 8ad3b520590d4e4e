#include "BoardHold.h"

#include "Driver.h"
#include "MessageFormat.h"
#include "Texts.h"

#include <exception>

namespace ruva {

void BoardHold::KeptMessages::ShowMessage(std::string_view text, MessageIcon icon) {
    if (Keeping)
        kept_.emplace_back(text, icon);
    else
        user_.ShowMessage(text, icon);
}

void BoardHold::KeptMessages::ShowKept() {
    Keeping = false;
    std::vector<std::pair<std::string, MessageIcon>> kept;
    kept.swap(kept_);
    for (const auto& [text, icon] : kept)
        user_.ShowMessage(text, icon);
}

BoardHold::BoardHold(Driver& driver, Prompts& user, int board)
    : kept_(user), exceptions_(std::uncaught_exceptions()) {
    const std::string prefix = driver.IsOpen() ? driver.BoardFilesPrefix() : std::string();
    if (!prefix.empty())
        status_ = file_.Lock(prefix, board, BoardWait);
    if (IsBusy()) {
        user.ShowMessage(FormatText(texts::BoardBusy, {board, static_cast<int>(BoardWait.count())}),
                         MessageIcon::Stop);
        return;
    }
    termination_.emplace();
    // Printed messages wait for nobody: only those that wait for the user are kept.
    kept_.Keeping = user.WaitsForUser() && (status_ == BoardFile::Status::Locked || termination_->Active());
}

BoardHold::~BoardHold() {
    // Ended by an exception, the hold only lets go: showing messages then could end the program.
    if (std::uncaught_exceptions() > exceptions_)
        kept_.Drop();
    Release();
}

void BoardHold::WarnWithoutFile() {
    if (status_ == BoardFile::Status::Unavailable)
        kept_.ShowMessage(FormatText(texts::BoardFileUnavailable, {file_.Path(), file_.Error()}),
                          MessageIcon::Warning);
}

void BoardHold::Release() {
    file_.Unlock();
    // A request to end the process that came meanwhile ends it here, before any message waits.
    termination_.reset();
    kept_.ShowKept();
}

} // namespace ruva
