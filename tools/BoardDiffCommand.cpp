// ruvacfg board diff N FILE: the settings that differ between the file's section for board N and what
// board N holds, one line each: "Li0.E1.TransmitLineCode: file HDB3, board AMI". Read only.

#include "BoardCommands.h"
#include "BoardSession.h"
#include "ConfigReport.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {

struct DiffOptions {
    int Board = 0;
    std::string File;
    std::optional<int> Section;
};

inline constexpr int ExitDifferent = 1;
inline constexpr int ExitError = 2;

} // namespace

void AddBoardDiffCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* diff =
        board.add_subcommand("diff", "Compare a configuration file's settings with what a board holds");
    diff->footer("Compares the clock source, the HDLC start address and, for Li0 and Li1, the default\n"
                 "mode and every E1 and T1 setting, by name and value word. The board is read as it is:\n"
                 "it is not checked and nothing is written. Exits 0 when the settings are equal, 1 when\n"
                 "they differ, 2 on any error (file, driver, board not installed, command line).");
    AddBoardNumber(*diff, options->Board);
    diff->add_option("FILE", options->File, "configuration file")->required();
    AddSectionOption(*diff, options->Section);
    diff->callback([options, &context] {
        BoardSession session(context.Err);
        BoardConfig file;
        BoardPage page{session, options->Board};
        if (!LoadFileSection(options->File, options->Section.value_or(page.BoardNumber), file,
                             session.User()) ||
            !session.AttachedBoard(page.BoardNumber) ||
            LoadFromBoard(page.Transfer()).Outcome != BoardLoadOutcome::Loaded) {
            context.ExitCode = ExitError;
            return;
        }
        const auto differences = ConfigDifferences(file, page.Config);
        for (const SettingDifference& d : differences)
            context.Out << d.Name << ": file " << d.First << ", board " << d.Second << '\n';
        context.ExitCode = differences.empty() ? ExitOk : ExitDifferent;
    });
}

} // namespace ruva::tool
