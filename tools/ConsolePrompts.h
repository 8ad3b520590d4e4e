#pragma once
// Prompts for the command line: every message goes to the error stream on one line, prefixed by its
// kind ("error: " for the stop icon, "warning: ", "note: " for information, nothing without an icon).
// There is nobody to choose files: the file dialogs answer as if cancelled. The prompts count what
// they showed, so a command can tell whether a step that failed has already said why, and keep each
// message as printed (its text on one line), with its identity, so a command that answers in JSON can
// repeat them.

#include "Prompts.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace ruva::tool {

class ConsolePrompts : public Prompts {
public:
    explicit ConsolePrompts(std::ostream& err) : err_(err) {}

    void ShowMessage(std::string_view text, MessageIcon icon) override {
        Show({{}, icon, std::string(text)});
    }
    void Show(const Message& message) override;
    // A printed line: nobody waits, so transfers print their messages as they come.
    bool WaitsForUser() const override { return false; }
    std::optional<std::string> ChooseFileToOpen(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseFileToSave(const FileDialogOptions&) override { return std::nullopt; }

    // Messages shown so far, and among them those with the stop icon.
    std::size_t MessagesShown() const { return messages_; }
    std::size_t ErrorsShown() const { return errors_; }
    // As printed, without the prefix.
    const std::vector<Message>& Messages() const { return shown_; }

    // Printed after the kind from now on, e.g. "board 1: " when one command works on several boards.
    void SetSubject(std::string subject) { subject_ = std::move(subject); }

private:
    std::ostream& err_;
    std::string subject_;
    std::size_t messages_ = 0;
    std::size_t errors_ = 0;
    std::vector<Message> shown_;
};

} // namespace ruva::tool
