#include "FileAccess.h"

namespace ruva::tool {

std::string DescribeLoadFailure(const LoadResult& result, const std::string& path, int board) {
    switch (result.Outcome) {
    case LoadOutcome::CannotOpen:
        return path + ": cannot open: " + result.OpenError.message();
    case LoadOutcome::HasError:
        return path + ":" + std::to_string(result.Error.Line()) + ": " + result.Error.Message();
    case LoadOutcome::NoSection:
        return path + ": no settings for board " + std::to_string(board);
    case LoadOutcome::Loaded:
        break;
    }
    return {};
}

bool LoadFileForCommand(const std::string& path, std::optional<int> board, BoardConfig& config,
                        std::ostream& err) {
    ParsedConfigFile parsed;
    LoadResult result = ReadConfigFile(path, parsed);
    if (result.Outcome == LoadOutcome::Loaded && board)
        result.Outcome = TakeBoardSection(parsed, *board, config);
    if (result.Outcome == LoadOutcome::Loaded)
        return true;
    err << DescribeLoadFailure(result, path, board.value_or(0)) << '\n';
    return false;
}

} // namespace ruva::tool
