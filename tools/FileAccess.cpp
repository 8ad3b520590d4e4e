#include "FileAccess.h"

#include "FileReplace.h"
#include "Sha256.h"

#include <CLI/CLI.hpp>

#include <array>
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

// Passes another source's blocks on, noting whether the input starts with a UTF-8 byte-order mark.
class ByteOrderMarkWatch final : public ByteSource {
public:
    explicit ByteOrderMarkWatch(ByteSource& source) : source_(source) {}

    std::optional<std::span<const unsigned char>> NextBlock() override {
        auto block = source_.NextBlock();
        for (std::size_t i = 0; block && i < block->size() && seen_ < Mark.size(); ++i, ++seen_)
            starts_ = starts_ && (*block)[i] == Mark[seen_];
        return block;
    }
    bool Found() const { return seen_ == Mark.size() && starts_; }

private:
    static constexpr std::array<unsigned char, 3> Mark{0xEF, 0xBB, 0xBF};
    ByteSource& source_;
    std::size_t seen_ = 0;
    bool starts_ = true;
};

LoadResult CannotRead(std::error_code error) {
    return {.Outcome = LoadOutcome::CannotOpen, .Error = {}, .OpenError = error};
}

template <typename Source>
LoadResult Parse(Source& source, ParsedConfigFile& parsed, Sha256* digest, bool* byteOrderMark) {
    LoadResult result;
    ByteOrderMarkWatch watch(source);
    std::optional<DigestingSource> digesting;
    if (digest != nullptr)
        digesting.emplace(watch, *digest);
    if (!ParseConfigFile(digesting ? static_cast<ByteSource&>(*digesting) : watch, parsed, result.Error))
        result.Outcome = LoadOutcome::HasError;
    if (byteOrderMark != nullptr)
        *byteOrderMark = watch.Found();
    // A read error is no error of the file's text.
    if (const std::error_code error = source.Error())
        return CannotRead(error);
    return result;
}

} // namespace

void AddFileArgument(CLI::App& command, InputFile& file) {
    command.add_option("FILE", file.Path, "configuration file (- reads the standard input)")->required();
    command.add_option("--file-name", file.GivenName,
                       "the name that messages give FILE (e.g. the file that the standard input comes from)");
}

LoadResult ReadConfigInput(const InputFile& file, std::istream& in, ParsedConfigFile& parsed, Sha256* digest,
                           bool* byteOrderMark) {
    if (file.Path != StandardInput) {
        std::error_code error;
        const auto close = [](std::FILE* f) { std::fclose(f); };
        const std::unique_ptr<std::FILE, decltype(close)> opened(filereplace::OpenToRead(file.Path, error),
                                                                 close);
        if (!opened)
            return CannotRead(error);
        FileSource source(opened.get());
        return Parse(source, parsed, digest, byteOrderMark);
    }
    if (&in != &std::cin) {
        StreamSource source(in);
        return Parse(source, parsed, digest, byteOrderMark);
    }
    // The process's own standard input is read through its file, which tells a read error and its reason
    // (std::cin takes one for the end of the input). One that the program was not started with stays
    // closed, whatever now holds its number.
    if (!filereplace::Inherited(0))
        return CannotRead(std::make_error_code(std::errc::bad_file_descriptor));
    FileSource source(stdin);
    return Parse(source, parsed, digest, byteOrderMark);
}

std::string DescribeLoadFailure(const LoadResult& result, const InputFile& file, int board) {
    switch (result.Outcome) {
    case LoadOutcome::CannotOpen:
        // The standard input is never opened, only read.
        return file.Name() + (file.Path == StandardInput ? ": cannot read: " : ": cannot open: ") +
               result.OpenError.message();
    case LoadOutcome::HasError:
        return file.Name() + ":" + std::to_string(result.Error.Line()) + ": " + result.Error.Message();
    case LoadOutcome::NoSection:
        return file.Name() + ": no settings for board " + std::to_string(board);
    case LoadOutcome::Loaded:
        break;
    }
    return {};
}

bool LoadFileForCommand(const InputFile& file, std::istream& in, std::optional<int> board,
                        BoardConfig& config, std::ostream& err) {
    ParsedConfigFile parsed;
    bool byteOrderMark = false;
    LoadResult result = ReadConfigInput(file, in, parsed, nullptr, &byteOrderMark);
    if (result.Outcome == LoadOutcome::Loaded && board)
        result.Outcome = TakeBoardSection(parsed, *board, config);
    if (result.Outcome == LoadOutcome::Loaded)
        return true;
    err << DescribeLoadFailure(result, file, board.value_or(0));
    // The parser sees the mark as text that belongs nowhere; editors add it unasked.
    if (byteOrderMark && result.Outcome == LoadOutcome::HasError && result.Error.Line() == 1)
        err << " (the file starts with a UTF-8 byte-order mark, which a configuration file must not have: "
               "save it without one)";
    err << '\n';
    return false;
}

} // namespace ruva::tool
