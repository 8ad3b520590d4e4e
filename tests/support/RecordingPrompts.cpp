#include "RecordingPrompts.h"

namespace ruva::test {

void RecordingPrompts::ShowMessage(std::string_view text, MessageIcon icon) {
    Messages.push_back({std::string(text), icon});
}

namespace {
std::optional<std::string> Next(std::deque<std::optional<std::string>>& choices) {
    if (choices.empty())
        return std::nullopt;
    auto choice = std::move(choices.front());
    choices.pop_front();
    return choice;
}
} // namespace

std::optional<std::string> RecordingPrompts::ChooseFileToOpen(const FileDialogOptions& options) {
    OpenDialogs.push_back(options);
    return Next(OpenChoices);
}

std::optional<std::string> RecordingPrompts::ChooseFileToSave(const FileDialogOptions& options) {
    SaveDialogs.push_back(options);
    return Next(SaveChoices);
}

} // namespace ruva::test
