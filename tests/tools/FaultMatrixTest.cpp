// Every driver request failing in each way after 0-3 of its kind, under each board command, in process.

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

struct Outcome {
    int Code = 0;
    std::string Out;
    sim::SimBoard Board;
    bool ClockUnsure = false;
};

Outcome RunOn(const sim::SimState& state, const std::vector<std::string>& args, const std::string& prefix) {
    test::SimChannel boards(state);
    std::istringstream in;
    std::ostringstream out, err;
    const auto device = [&] {
        return Device{std::make_unique<test::SimChannel>(boards),
                      {.FilesPrefix = [prefix] { return prefix; }}};
    };
    Outcome run{RunRuvacfg(args, in, out, err, device), out.str(), boards.State().Boards[0]};
    run.Board.Faults.clear();
    BoardFile file;
    if (file.Lock(prefix, 0, {}) == BoardFile::Status::Locked && (run.ClockUnsure = file.ClockUnsure()))
        file.SetClockUnsure(false); // the next run starts afresh
    return run;
}

TEST(FaultMatrixTest, NoFaultCrashesPrintsInvalidJsonOrEndsInSuccessWithAnotherResult) {
    test::TempDir dir;
    const std::string prefix = (dir / "ruva2").string();
    sim::SimState state = sim::FreshState();
    state.Boards[0].Serial.SerialNumber = 0xFFFF; // the check restores it, and selects the stored clock
    // Texts that are not UTF-8, and one that a short reply cuts inside a character.
    std::string text = "caf\xe9 ";
    for (int i = 0; i < 100; ++i)
        text += "\xe2\x82\xac";
    state.ErrorTexts = {{7, text}, {51, text}};
    std::string file = RunOn(state, {"board", "read", "0"}, prefix).Out;
    file = std::regex_replace(std::regex_replace(file, std::regex("= INTERNAL"), "= LI1"), std::regex("= 0x8000"),
                              "= 0x8800");
    test::WriteFileBytes(dir / "li1.cfg", file);

    for (const std::string command :
         {"list", "list --json", "info 0", "info 0 --json", "read 0", "write 0 li1.cfg", "write 0 li1.cfg --json",
          "diff 0 li1.cfg", "diff 0 li1.cfg --json", "write 0 caf\xe9.cfg --json", "diff 0 caf\xe9.cfg --json"}) {
        std::vector<std::string> args{"board"};
        std::istringstream words(command);
        for (std::string word; words >> word;)
            args.push_back(word.ends_with(".cfg") ? (dir / word).string() : word);
        const bool json = args.back() == "--json";
        const int failed = args[1] == "diff" ? 2 : 1;
        const Outcome expected = RunOn(state, args, prefix);
        for (const RequestLayout& request : RequestLayouts) {
            for (sim::Fault fault : {sim::Fault{.Fail = true}, sim::Fault{.Empty = true}, sim::Fault{.Status = 7},
                                     sim::Fault{.Short = static_cast<std::uint32_t>(request.ReplySize / 2)}}) {
                for (std::uint32_t after = 0; after < 4; ++after) {
                    SCOPED_TRACE(command + " " + std::string(request.Name) + " after " + std::to_string(after) +
                                 " short " + std::to_string(fault.Short.value_or(0)));
                    sim::SimState faulty = state;
                    fault.After = after ? std::optional(after) : std::nullopt;
                    fault.Count = 1;
                    (sim::IsBoardRequest(request.Code) ? faulty.Boards[0].Faults : faulty.Faults)[request.Code] = fault;
                    if (request.Code == Request::GetErrorText) // asked only after another failure
                        faulty.Boards[0].Faults[Request::AttachBoard] = {.Status = 7};
                    const Outcome run = RunOn(faulty, args, prefix);

                    // Only list and info print nothing when they fail.
                    const bool quiet = run.Code == failed && (args[1] == "list" || args[1] == "info");
                    const bool object = nlohmann::json::parse(run.Out, nullptr, false).is_object();
                    EXPECT_TRUE(!json || object || (quiet && run.Out.empty())) << run.Out;
                    // Success is the result without the fault (a write's report may lack the settings
                    // before, when they could not be read).
                    EXPECT_TRUE(run.Code == failed || (run.Code == expected.Code && run.Board == expected.Board &&
                                                       (run.Out == expected.Out || args[1] == "write")))
                        << run.Code << run.Out;
                    EXPECT_TRUE(args[1] != "write" || run.Board.Clock == run.Board.Image.ClockSource ||
                                run.ClockUnsure);
                }
            }
        }
    }
}

} // namespace
} // namespace ruva::tool
