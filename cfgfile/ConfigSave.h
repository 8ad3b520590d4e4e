#pragma once
// Saving the configuration to a file (everything after the file dialog of a board page's SaveToFile).

#include "BoardConfig.h"

#include <string>

namespace ruva {

class Driver;
class Prompts;

enum class SaveOutcome {
    Saved,
    CannotOpen,  // "Unable to open file '...'. Data not saved." (or that its folder is not writable) was shown
    DriverError, // the driver parameters could not be read; the driver error was shown
    WriteError,  // "Unable to write file '...'. Data not saved." was shown
    ValueWithoutWord, // a code had no value word ("Internal Error: ..."); nothing was written
};

// Writes the configuration text for `board` to `path`. The whole text is produced first and replaces
// the file only when all of it has been written and synced: on any failure an existing file keeps its
// bytes and no file is created. A code without a value word is a failure too: after its "Internal
// Error" message, "... Data not saved." says that nothing was written. No message follows a successful
// save.
SaveOutcome SaveToFile(const std::string& path, int board, const BoardConfig& config, Driver& driver,
                       Prompts& prompts);

} // namespace ruva
