#include "FileAccess.h"

#include "FileReplace.h"
#include "Sha256.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>

namespace ruva::tool {

namespace {

// A stream that stands for the standard input (in tests), read in blocks as a file is read.
class StreamSource final : public ByteSource {
public:
    explicit StreamSource(std::istream& in) : in_(in), buffer_(new char[FileSource::BufferSize]) {}

    std::optional<std::span<const unsigned char>> NextBlock() override {
        in_.read(buffer_.get(), FileSource::BufferSize);
        if (in_.bad())
            return std::nullopt;
        return std::span(reinterpret_cast<const unsigned char*>(buffer_.get()),
                         static_cast<std::size_t>(in_.gcount()));
    }
    std::error_code Error() const {
        return in_.bad() ? std::make_error_code(std::errc::io_error) : std::error_code();
    }

private:
    std::istream& in_;
    std::unique_ptr<char[]> buffer_;
};

template <typename Source>
LoadResult Parse(Source& source, ParsedConfigFile& parsed, Sha256* digest) {
    LoadResult result;
    std::optional<DigestingSource> digesting;
    if (digest != nullptr)
        digesting.emplace(source, *digest);
    if (!ParseConfigFile(digesting ? static_cast<ByteSource&>(*digesting) : source, parsed, result.Error))
        result.Outcome = LoadOutcome::HasError;
    // A read error is no error of the file's text.
    if (const std::error_code error = source.Error()) {
        result.Outcome = LoadOutcome::CannotOpen;
        result.OpenError = error;
    }
    return result;
}

} // namespace

std::string InputName(const std::string& path) {
    return path == StandardInput ? "(standard input)" : path;
}

LoadResult ReadConfigInput(const std::string& path, std::istream& in, ParsedConfigFile& parsed, Sha256* digest) {
    if (path != StandardInput)
        return ReadConfigFile(path, parsed, digest);
    if (&in != &std::cin) {
        StreamSource source(in);
        return Parse(source, parsed, digest);
    }
    // The process's own standard input is read through its file, which tells a read error and its reason
    // (std::cin takes one for the end of the input). One that the program was not started with stays
    // closed, whatever now holds its number.
    if (!filereplace::Inherited(0)) {
        LoadResult result;
        result.Outcome = LoadOutcome::CannotOpen;
        result.OpenError = std::make_error_code(std::errc::bad_file_descriptor);
        return result;
    }
    FileSource source(stdin);
    return Parse(source, parsed, digest);
}

std::string DescribeLoadFailure(const LoadResult& result, const std::string& path, int board) {
    switch (result.Outcome) {
    case LoadOutcome::CannotOpen:
        // The standard input is never opened, only read.
        return InputName(path) + (path == StandardInput ? ": cannot read: " : ": cannot open: ") +
               result.OpenError.message();
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
