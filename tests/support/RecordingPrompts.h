#pragma once
// Prompts for tests: records every message and file dialog, and answers the dialogs from queued choices
// (an empty choice is a cancel; with nothing queued the dialog is cancelled).

#include "Prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace ruva::test {

struct ShownMessage {
    std::string Text;
    MessageIcon Icon;

    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

class RecordingPrompts : public Prompts {
public:
    std::vector<ShownMessage> Messages;
    std::vector<FileDialogOptions> OpenDialogs;
    std::vector<FileDialogOptions> SaveDialogs;
    std::deque<std::optional<std::string>> OpenChoices;
    std::deque<std::optional<std::string>> SaveChoices;

    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(const FileDialogOptions& options) override;
    std::optional<std::string> ChooseFileToSave(const FileDialogOptions& options) override;
};

// Shows each message as it comes, as ruvacfg does.
inline MessageWatcher ShowingTo(Prompts& prompts) {
    return [&prompts](const Message& message) { prompts.Show(message); };
}
// Shows a step's messages once it has returned, as a page does.
template <class Result>
Result Shown(Prompts& prompts, Result result) {
    Show(prompts, result.Messages);
    return result;
}

} // namespace ruva::test
