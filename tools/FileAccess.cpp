#include "FileAccess.h"

#include <iterator>

namespace ruva::tool {

std::string InputName(const std::string& path) {
    return path == StandardInput ? "(standard input)" : path;
}

LoadResult ReadConfigInput(const std::string& path, std::istream& in, ParsedConfigFile& parsed) {
    if (path != StandardInput)
        return ReadConfigFile(path, parsed);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LoadResult result;
    if (in.bad()) {
        result.Outcome = LoadOutcome::CannotOpen;
        result.OpenError = std::make_error_code(std::errc::io_error);
        return result;
    }
    MemorySource source(text);
    if (!ParseConfigFile(source, parsed, result.Error))
        result.Outcome = LoadOutcome::HasError;
    return result;
}

std::string DescribeLoadFailure(const LoadResult& result, const std::string& path, int board) {
    switch (result.Outcome) {
    case LoadOutcome::CannotOpen:
        return InputName(path) + ": cannot open: " + result.OpenError.message();
    case LoadOutcome::HasError:
        return InputName(path) + ":" + std::to_string(result.Error.Line()) + ": " + result.Error.Message();
    case LoadOutcome::NoSection:
        return InputName(path) + ": no settings for board " + std::to_string(board);
    case LoadOutcome::Loaded:
        break;
    }
    return {};
}

bool LoadFileForCommand(const std::string& path, std::istream& in, std::optional<int> board,
                        BoardConfig& config, std::ostream& err) {
    ParsedConfigFile parsed;
    LoadResult result = ReadConfigInput(path, in, parsed);
    if (result.Outcome == LoadOutcome::Loaded && board)
        result.Outcome = TakeBoardSection(parsed, *board, config);
    if (result.Outcome == LoadOutcome::Loaded)
        return true;
    err << DescribeLoadFailure(result, path, board.value_or(0)) << '\n';
    return false;
}

} // namespace ruva::tool
