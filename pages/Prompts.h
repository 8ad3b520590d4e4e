#pragma once
// The user-interaction seam of the pages and the programs: every message the program shows and every
// file it asks for passes here, so the page logic runs unchanged under the Qt program, the Windows
// program, the command-line tool and the tests. The layers below return their messages (Message.h).

#include "Message.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruva {

struct FileFilter {
    std::string Description; // e.g. "Config Files (*.cfg)"
    std::string Pattern;     // e.g. "*.cfg"
};

struct FileDialogOptions {
    std::string DefaultExtension;    // appended when the chosen name has none, e.g. "cfg"
    std::string InitialFileName;     // in the name box at first; a wildcard pattern such as "*.CFG"
                                     // filters the list on Windows; empty: none
    std::vector<FileFilter> Filters; // in the order offered
    bool HideReadOnly = true;        // no "open as read-only" choice
    bool ConfirmOverwrite = true;    // saving: ask before an existing file is replaced
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message with one OK button; returns when the user has closed it.
    virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
    // The same for a message that a layer below gave.
    virtual void Show(const Message& message) { ShowMessage(message.Text, message.Icon); }

    // Whether ShowMessage waits for the user (a message box) rather than printing a line and going on.
    virtual bool WaitsForUser() const { return true; }

    // The full path of a file to open, or empty when the user cancelled.
    virtual std::optional<std::string> ChooseFileToOpen(const FileDialogOptions& options) = 0;

    // The full path of a file to save to, or empty when the user cancelled.
    virtual std::optional<std::string> ChooseFileToSave(const FileDialogOptions& options) = 0;
};

// Each in turn.
inline void Show(Prompts& prompts, const std::vector<Message>& messages) {
    for (const Message& message : messages)
        prompts.Show(message);
}

} // namespace ruva
