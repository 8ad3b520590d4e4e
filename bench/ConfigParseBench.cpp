// Parse throughput and peak memory of configuration files: generated files of 1 MB and 100 MB, each
// made of complete writer texts for boards 0 to 3 in turn, parsed from the page cache; and the same
// 1 MB parsed from memory, which leaves out the reading.
//
// Counters: bytes_per_second; parse_peak_kB, how far the process's resident memory rose above where
// it stood before the parse (Linux: the high-water mark is reset through /proc/self/clear_refs).

#include "ConfigLoader.h"
#include "ConfigWriter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

using namespace ruva;

namespace {

// One complete writer text for section `n`, with some values varied from section to section.
std::string SectionText(std::size_t n) {
    BoardConfig config;
    config.General = {0x8000 + 4 * static_cast<std::uint32_t>(n % 4096)};
    config.Image.ClockSource = static_cast<std::int16_t>(n % 7);
    config.Image.Li[0].DefaultMode = static_cast<std::int16_t>(n % 2);
    config.Image.Li[1].DefaultMode = static_cast<std::int16_t>((n + 1) % 2);
    for (LineInterfaceSettings& li : config.Image.Li) {
        SetE1Defaults(li.E1);
        SetT1Defaults(li.T1);
        li.E1.LineLength = static_cast<std::uint16_t>(n);
        li.T1.ClearChannels = static_cast<std::uint32_t>(n) & 0xFFFFFF;
    }
    DriverParameters parameters;
    parameters.IoBaseAddress = 0x300;
    return FormatConfigFile(config, static_cast<int>(n % 4), parameters).Text;
}

// The generated files, in a folder of their own that is removed when the program ends.
class GeneratedFiles {
public:
    GeneratedFiles() {
        std::random_device random;
        dir_ = std::filesystem::temp_directory_path() / ("ruva-bench-" + std::to_string(random()));
        std::filesystem::create_directories(dir_);
    }
    ~GeneratedFiles() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Writes sections until the file holds at least `bytes` bytes.
    std::string Generate(const std::string& name, std::size_t bytes) const {
        const std::string path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        std::size_t written = 0;
        for (std::size_t n = 0; written < bytes; ++n) {
            const std::string text = SectionText(n);
            out << text;
            written += text.size();
        }
        return path;
    }

private:
    std::filesystem::path dir_;
};

std::string GenerateFile(const std::string& name, std::size_t bytes) {
    static const GeneratedFiles files;
    return files.Generate(name, bytes);
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Resets the peak resident size to the current one; returns the current one (kB), or -1.
long ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKilobytes("VmRSS:");
}

void ParseFile(benchmark::State& state, const std::string& path) {
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    ParsedConfigFile parsed;
    // A first parse warms the page cache and checks that the file is correct.
    if (ReadConfigFile(path, parsed).Outcome != LoadOutcome::Loaded) {
        state.SkipWithError("the generated file does not parse");
        return;
    }
    const long before = ResetPeakMemory();
    for (auto _ : state) {
        LoadResult result = ReadConfigFile(path, parsed);
        benchmark::DoNotOptimize(result);
    }
    const long peak = StatusKilobytes("VmHWM:");
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    state.counters["parse_peak_kB"] = static_cast<double>(peak - before);
    state.counters["process_peak_kB"] = static_cast<double>(peak);
}

void BM_ParseFile1MB(benchmark::State& state) {
    static const std::string path = GenerateFile("1MB.cfg", 1'000'000);
    ParseFile(state, path);
}

void BM_ParseFile100MB(benchmark::State& state) {
    static const std::string path = GenerateFile("100MB.cfg", 100'000'000);
    ParseFile(state, path);
}

void BM_ParseMemory1MB(benchmark::State& state) {
    std::ostringstream text;
    for (std::size_t n = 0; text.tellp() < 1'000'000; ++n)
        text << SectionText(n);
    const std::string bytes = text.str();
    ParsedConfigFile parsed;
    ParseErrorRecord errors;
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseConfigText(bytes, parsed, errors));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

} // namespace

BENCHMARK(BM_ParseFile1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFile100MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseMemory1MB)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
