#include "CfgTestSupport.h"

#include "ConfigWriter.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace ruva::test {

std::filesystem::path DataPath(const std::string& relative) {
    const char* root = std::getenv("RUVA_TEST_DATA");
    return std::filesystem::path(root ? root : "tests/data") / relative;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

TempDir::TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("ruva-cfgfile-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_))
            return;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

BoardConfig DefaultConfig() {
    BoardConfig config;
    config.Image.ClockSource = 0;
    config.General.HdlcStartAddress = 0x8000;
    config.Image.Li[0].DefaultMode = 1;
    for (LineInterfaceSettings& li : config.Image.Li) {
        SetE1Defaults(li.E1);
        SetT1Defaults(li.T1);
    }
    return config;
}

ScriptedDriver::ScriptedDriver(const DriverParameters& parameters) {
    channel.Queue(Request::OpenDriver, StatusReply(1));
    driver.OpenDriver(0);
    const auto bytes = parameters.toBytes();
    channel.Queue(Request::GetDriverParameters, StatusReply(1, {bytes.begin(), bytes.end()}));
}

DriverParameters BoardTwoParameters() {
    DriverParameters p;
    p.IoBaseAddress = 0x300;
    p.NumberOfBoards = 3;
    p.HostMemoryWindowOffset[2] = 0xE0000;
    p.HostMemoryWindowSize[2] = 0x8000;
    p.HostIoWindowOffset[2] = 0x360;
    p.HostIoWindowSize[2] = 0x10;
    return p;
}

std::string GoldenBoardTwo() {
    return ReadFileBytes(DataPath("cfgfile/golden/defaults-board2.cfg"));
}

SaveOutcome SaveBoardTwo(const std::string& path, Prompts& prompts) {
    ScriptedDriver board(BoardTwoParameters());
    return SaveToFile(path, 2, DefaultConfig(), board.driver, prompts);
}

SaveOutcome SaveToFile(const std::string& path, int board, const BoardConfig& config, Driver& driver,
                       Prompts& prompts) {
    const SaveResult saved = ruva::SaveToFile(
        path, board, config, [&](MessageList& shown) { return ReadDriverParameters(driver, shown); });
    Show(prompts, saved.Messages);
    return saved.Outcome;
}

std::optional<std::string> WriteConfigFile(const BoardConfig& config, int board, Driver& driver,
                                           Prompts& prompts) {
    MessageList shown;
    const auto parameters = ReadDriverParameters(driver, shown);
    Show(prompts, shown.All);
    if (!parameters)
        return std::nullopt;
    ConfigText text = FormatConfigFile(config, board, *parameters);
    Show(prompts, text.Messages);
    return std::move(text.Text);
}

} // namespace ruva::test
