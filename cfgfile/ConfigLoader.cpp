#include "ConfigLoader.h"

#include "FileReplace.h"
#include "MessageFormat.h"
#include "Texts.h"

#include <cstdio>
#include <memory>
#include <optional>

namespace ruva {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

LoadResult CannotOpen(std::error_code error) {
    LoadResult result;
    result.Outcome = LoadOutcome::CannotOpen;
    result.OpenError = error;
    return result;
}

} // namespace

LoadResult ReadConfigFile(const std::string& path, ParsedConfigFile& parsed, Sha256* digest) {
    std::error_code error;
    const std::unique_ptr<std::FILE, FileCloser> file(filereplace::OpenToRead(path, error));
    if (!file)
        return CannotOpen(error);
    FileSource fileSource(file.get());
    std::optional<DigestingSource> digesting;
    if (digest != nullptr)
        digesting.emplace(fileSource, *digest);
    ByteSource& source = digesting ? static_cast<ByteSource&>(*digesting) : fileSource;
    LoadResult result;
    if (!ParseConfigFile(source, parsed, result.Error))
        result.Outcome = LoadOutcome::HasError;
    return result;
}

LoadOutcome TakeBoardSection(const ParsedConfigFile& parsed, int board, BoardConfig& config) {
    if (board < 0 || board >= ParsedConfigFile::MaxBoards)
        return LoadOutcome::NoSection;
    const ParsedBoard& slot = parsed.Boards[static_cast<std::size_t>(board)];
    if (!slot.Present)
        return LoadOutcome::NoSection;
    config = slot;
    return LoadOutcome::Loaded;
}

LoadResult LoadConfig(ByteSource& source, int board, BoardConfig& config) {
    ParsedConfigFile parsed;
    LoadResult result;
    if (!ParseConfigFile(source, parsed, result.Error))
        result.Outcome = LoadOutcome::HasError;
    else
        result.Outcome = TakeBoardSection(parsed, board, config);
    return result;
}

LoadResult LoadConfigFile(const std::string& path, int board, BoardConfig& config, Sha256* digest) {
    ParsedConfigFile parsed;
    LoadResult result = ReadConfigFile(path, parsed, digest);
    if (result.Outcome == LoadOutcome::Loaded)
        result.Outcome = TakeBoardSection(parsed, board, config);
    return result;
}

std::optional<Message> LoadOutcomeMessage(const LoadResult& result, std::string_view path, int board) {
    switch (result.Outcome) {
    case LoadOutcome::Loaded:
        break;
    case LoadOutcome::CannotOpen:
        return Message{"could_not_open_file", MessageIcon::None, FormatText(texts::CouldNotOpenFile, {path})};
    case LoadOutcome::HasError:
        return Message{"error_in_file", MessageIcon::Stop,
                       FormatText(texts::LoadErrorInFile, {result.Error.ParseErrorText(), path})};
    case LoadOutcome::NoSection:
        return Message{"no_settings_for_board", MessageIcon::Stop,
                       FormatText(texts::NoSettingsForBoard, {path, board})};
    }
    return std::nullopt;
}

} // namespace ruva
