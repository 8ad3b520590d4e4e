#pragma once
// Saving the configuration to a file (everything after the file dialog of a board page's SaveToFile).

#include "BoardConfig.h"
#include "DriverRecords.h"
#include "Message.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ruva {

enum class SaveOutcome {
    Saved,
    CannotOpen,  // "Unable to open file '...'. Data not saved." (or that its folder is not writable)
    DriverError, // the driver parameters could not be read (with the driver's error)
    WriteError,  // "Unable to write file '...'. Data not saved."
    // The writer refused the configuration, whose file would not load again; nothing was written, and
    // the messages close with "File '...' was not written: <reason>. Data not saved.":
    ValueWithoutWord,       // a code had no value word (after its "Internal Error: ...")
    HdlcStartAddressTooLow, // the HDLC start address is below the lowest a file may hold
};

// Whether the outcome is the writer's refusal, whatever its reason.
bool WriterRefused(SaveOutcome outcome);

struct SaveResult {
    SaveOutcome Outcome = SaveOutcome::Saved;
    std::vector<Message> Messages;
};

// The driver parameters that a save writes into the file, asked for once the file is open; none after
// the messages of their failure were added to `shown`.
using ParametersSource = std::function<std::optional<DriverParameters>(MessageList& shown)>;

// Writes the configuration text for `board` to `path`. The whole text is produced first and replaces
// the file only when all of it has been written and synced: on any failure an existing file keeps its
// bytes and no file is created. A configuration the writer refuses is a failure too (after the
// "Internal Error" message of each code without a value word): "... Data not saved." says that nothing
// was written, and why. No message follows a successful save.
SaveResult SaveToFile(const std::string& path, int board, const BoardConfig& config,
                      const ParametersSource& parameters);

} // namespace ruva
