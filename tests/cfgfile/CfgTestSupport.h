#pragma once
// Shared pieces of the configuration file tests: test data, temporary folders, sample configurations
// and a driver that answers the parameter request.

#include "BoardConfig.h"
#include "Driver.h"
#include "DriverRecords.h"
#include "ScriptedChannel.h"

#include <filesystem>
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

} // namespace ruva::test
