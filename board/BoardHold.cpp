#include "BoardHold.h"

#include "Driver.h"
#include "MessageFormat.h"
#include "Prompts.h"
#include "Texts.h"

namespace ruva {

BoardHold::BoardHold(Driver& driver, Prompts& prompts, int board) : prompts_(prompts) {
    const std::string prefix = driver.IsOpen() ? driver.BoardFilesPrefix() : std::string();
    if (!prefix.empty())
        status_ = file_.Lock(prefix, board, BoardWait);
    if (IsBusy())
        prompts.ShowMessage(FormatText(texts::BoardBusy, {board, static_cast<int>(BoardWait.count())}),
                            MessageIcon::Stop);
    else
        termination_.emplace();
}

void BoardHold::WarnWithoutFile() const {
    if (status_ == BoardFile::Status::Unavailable)
        prompts_.ShowMessage(FormatText(texts::BoardFileUnavailable, {file_.Path(), file_.Error()}),
                             MessageIcon::Warning);
}

} // namespace ruva
