#pragma once
// Prompts for the command line: every message goes to the error stream on one line, prefixed by its
// kind ("error: " for the stop icon, "warning: ", "note: " for information, nothing without an icon).
// There is nobody to choose files: the file dialogs answer as if cancelled.

#include "Prompts.h"

#include <ostream>

namespace ruva::tool {

class ConsolePrompts : public Prompts {
public:
    explicit ConsolePrompts(std::ostream& err) : err_(err) {}

    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseFileToSave(const FileDialogOptions&) override { return std::nullopt; }

private:
    std::ostream& err_;
};

} // namespace ruva::tool
