// Every driver request failing in each way, after 0 to 3 requests of its kind passed, under each board
// command with and without --json, run in process on simulated boards.

#include "Ruvacfg.h"

#include "BoardFile.h"
#include "CfgTestSupport.h"
#include "SimChannel.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>
#include <sstream>

namespace ruva::tool {
namespace {

// A run's own channel on the test's simulated boards, which outlive it.
class Borrowed : public DeviceChannel {
public:
    explicit Borrowed(test::SimChannel& boards) : boards_(boards) {}
    bool Open(const std::string& path) override { return boards_.Open(path); }
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override {
        return boards_.Control(code, input, output);
    }
    std::string BoardFilesPrefix() const override { return boards_.BoardFilesPrefix(); }

private:
    test::SimChannel& boards_;
};

struct Outcome {
    int Code = 0;
    std::string Out;
    sim::SimBoard Board;
    bool ClockUnsure = false;
};

Outcome RunOn(const sim::SimState& state, const std::vector<std::string>& args, const std::string& prefix) {
    test::SimChannel boards(state);
    boards.FilesPrefix = prefix;
    std::ostringstream out, err;
    Outcome run{RunRuvacfg(args, out, err, [&boards] { return std::make_unique<Borrowed>(boards); }), out.str(),
            boards.State().Boards[0]};
    run.Board.Faults.clear();
    BoardFile file;
    file.Lock(prefix, 0, {});
    if ((run.ClockUnsure = file.ClockUnsure()))
        file.SetClockUnsure(false); // the next run starts afresh
    return run;
}

TEST(FaultMatrixTest, NoFaultCrashesPrintsInvalidJsonOrEndsInSuccessWithAnotherResult) {
    test::TempDir dir;
    const std::string prefix = (dir / "ruva2").string();
    sim::SimState state = sim::FreshState();
    state.Boards[0].Serial.SerialNumber = 0xFFFF; // the check restores it, and selects the stored clock
    // Texts that are not UTF-8, and one whose cut by a short reply splits a character.
    std::string text = "caf\xe9 ";
    for (int i = 0; i < 100; ++i)
        text += "\xe2\x82\xac";
    state.ErrorTexts = {{7, text}, {51, text}};

    std::string file = RunOn(state, {"board", "read", "0"}, prefix).Out;
    file = std::regex_replace(file, std::regex("= INTERNAL"), "= LI1");
    file = std::regex_replace(file, std::regex("= 0x8000"), "= 0x8800");
#ifdef _WIN32
    const std::string name = "caf\xc3\xa9";
#else
    const std::string name = "caf\xe9";
#endif
    test::WriteFileBytes(dir / "li1.cfg", file);
    const std::string li1 = (dir / "li1.cfg").string(), missing = (dir / (name + ".cfg")).string();
    const std::vector<std::vector<std::string>> commands = {
        {"board", "list"},           {"board", "info", "0"},
        {"board", "read", "0"},      {"board", "write", "0", li1},
        {"board", "diff", "0", li1}, {"board", "write", "0", missing, "--json"},
        {"board", "diff", "0", missing, "--json"}};

    for (std::vector<std::string> args : commands) {
        for (bool json : {false, true}) {
            if (json && (args[1] == "read" || args.back() == "--json"))
                continue;
            if (json)
                args.push_back("--json");
            const Outcome expected = RunOn(state, args, prefix);
            const int failed = args[1] == "diff" ? 2 : 1;
            for (const RequestLayout& request : RequestLayouts) {
                for (sim::Fault fault : {sim::Fault{.Fail = true}, sim::Fault{.Empty = true}, sim::Fault{.Status = 7},
                                         sim::Fault{.Short = static_cast<std::uint32_t>(request.ReplySize / 2)}}) {
                    for (std::uint32_t after = 0; after < 4; ++after) {
                        SCOPED_TRACE(::testing::PrintToString(args) + " " + std::string(request.Name) + " " +
                                     std::to_string(after) + " " + std::to_string(fault.Short.value_or(0)));
                        sim::SimState faulty = state;
                        fault.After = after ? std::optional(after) : std::nullopt;
                        fault.Count = 1;
                        auto& faults = sim::IsBoardRequest(request.Code) ? faulty.Boards[0].Faults : faulty.Faults;
                        faults[request.Code] = fault;
                        if (request.Code == Request::GetErrorText) // asked only after another failure
                            faulty.Boards[0].Faults[Request::AttachBoard] = {.Status = 7};
                        const Outcome run = RunOn(faulty, args, prefix);

                        // Only list and info print nothing when they fail.
                        const bool quiet = run.Code == failed && (args[1] == "list" || args[1] == "info");
                        const bool object = nlohmann::json::parse(run.Out, nullptr, false).is_object();
                        EXPECT_TRUE(!json || object || (quiet && run.Out.empty())) << run.Out;
                        if (run.Code != failed) {
                            // The same result as without the fault (a write's own report may lack the
                            // settings it could not read before).
                            EXPECT_EQ(run.Code, expected.Code);
                            EXPECT_TRUE(run.Out == expected.Out || args[1] == "write") << run.Out;
                            EXPECT_TRUE(run.Board == expected.Board);
                        }
                        EXPECT_TRUE(args[1] != "write" || run.Board.Clock == run.Board.Image.ClockSource ||
                                    run.ClockUnsure);
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace ruva::tool
