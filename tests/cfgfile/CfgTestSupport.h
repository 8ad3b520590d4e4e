#pragma once
// Shared pieces of the configuration file tests: test data, temporary folders, sample configurations
// and a driver that answers the parameter request.

#include "BoardConfig.h"
#include "ConfigSave.h"
#include "Driver.h"
#include "DriverRecords.h"
#include "Prompts.h"
#include "ScriptedChannel.h"

#include <filesystem>
#include <optional>
#include <string>

namespace ruva::test {

// A file under the test data folder (tests/data).
std::filesystem::path DataPath(const std::string& relative);
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder that is removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }
    // The names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

// Clock INTERNAL, HDLC start address 0x8000, Li0 E1 and Li1 T1, every E1 and T1 block at its defaults.
BoardConfig DefaultConfig();

// A driver, opened, whose next GetDriverParameters answers with `parameters`.
struct ScriptedDriver {
    explicit ScriptedDriver(const DriverParameters& parameters);
    ScriptedChannel channel;
    Driver driver{channel};
};

// The save tests' board: board 2 of three, with its resources set.
DriverParameters BoardTwoParameters();
// What the default configuration saved for board 2 reads (tests/data/cfgfile/golden).
std::string GoldenBoardTwo();
// Content that a failed save must leave as it was.
inline const std::string Precious = "precious bytes\r\n";
// Saves the default configuration for board 2 to `path`.
SaveOutcome SaveBoardTwo(const std::string& path, Prompts& prompts);

// A save and a text as a board page and ruvacfg make them: the parameters asked of `driver`, each
// message shown to `prompts`. No text after the driver's error.
SaveOutcome SaveToFile(const std::string& path, int board, const BoardConfig& config, Driver& driver,
                       Prompts& prompts);
std::optional<std::string> WriteConfigFile(const BoardConfig& config, int board, Driver& driver,
                                           Prompts& prompts);

} // namespace ruva::test
