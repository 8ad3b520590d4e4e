// Arbitrary bytes as a configuration file, loaded for one board the way the board page loads it, once
// from a file and once from memory handed out in small blocks. Both must agree; a failed load must
// leave the configuration alone; a loaded configuration must write out and load back unchanged.

#include "ConfigLoader.h"
#include "ConfigWriter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace ruva;

namespace {

// Hands out the bytes in blocks of a few bytes, so tokens straddle block ends.
class SmallBlocks : public ByteSource {
public:
    SmallBlocks(const std::uint8_t* data, std::size_t size, std::size_t block)
        : data_(data), size_(size), block_(block) {}
    std::optional<std::span<const unsigned char>> NextBlock() override {
        const std::size_t n = std::min(block_, size_ - offset_);
        const std::span<const unsigned char> piece(data_ + offset_, n);
        offset_ += n;
        return piece;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t block_;
    std::size_t offset_ = 0;
};

BoardConfig Sentinel() {
    BoardConfig config;
    config.General = {0x12345};
    config.Image.ClockSource = 5;
    config.Image.Li[0].DefaultMode = 7;
    config.Image.Li[1].DefaultMode = 8;
    config.Image.Version = 9;
    config.Image.SerialNumber = 0xBEEF;
    config.Image.Li[1].T1.ClearChannels = 0xFFFFFFFF;
    return config;
}

// The file that each input is written to, removed when the fuzzer ends.
const std::string& ScratchFile() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("ruva-fuzz-cfgfile-" + std::to_string(::getpid()) + ".cfg"))
                                        .string();
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int board = static_cast<int>(size % 4);

    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
    BoardConfig fromFile = Sentinel();
    const LoadResult viaFile = LoadConfigFile(ScratchFile(), board, fromFile);

    BoardConfig fromMemory = Sentinel();
    SmallBlocks source(data, size, 1 + size % 13);
    const LoadResult viaMemory = LoadConfig(source, board, fromMemory);

    Check(viaFile.Outcome == viaMemory.Outcome);
    Check(viaFile.Error.ParseErrorText() == viaMemory.Error.ParseErrorText());
    Check(fromFile == fromMemory);
    if (viaFile.Outcome != LoadOutcome::Loaded) {
        Check(fromFile == Sentinel());
        Check(viaFile.Outcome == LoadOutcome::NoSection || viaFile.Error.ParseErrorRecorded());
        return 0;
    }

    // Files carry HDLC start addresses of 0x8000 and above; a file without the line loads 0.
    if (fromFile.General.HdlcStartAddress >= 0x8000) {
        ConfigText written = FormatConfigFile(fromFile, board, DriverParameters{});
        if (!written.Messages.empty())
            std::abort(); // a loaded file has no bad codes
        const std::string text = std::move(written.Text);
        BoardConfig again = Sentinel();
        MemorySource source(text);
        Check(LoadConfig(source, board, again).Outcome == LoadOutcome::Loaded);
        Check(again == fromFile);
    }
    return 0;
}
