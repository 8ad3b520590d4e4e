#include "ConfigLoader.h"

#include "CfgTestSupport.h"
#include "ConfigWriter.h"
#include "RecordingPrompts.h"
#include "Texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace ruva {
namespace {

using test::DataPath;
using test::DefaultConfig;
using test::ReadFileBytes;
using test::RecordingPrompts;
using test::ShownMessage;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::ElementsAre;

// A configuration that no load produces, to see that a failed load leaves it alone.
BoardConfig Untouched() {
    BoardConfig config = DefaultConfig();
    config.General.HdlcStartAddress = 0x12345;
    config.Image.Version = 9;
    config.Image.SerialNumber = 0x4321;
    return config;
}

// Random codes from every value set and random numbers within every range.
BoardConfig RandomConfig(std::mt19937& random) {
    const auto pick = [&](const ValueSet& set) { return set.Items[random() % set.Items.size()].Code; };
    BoardConfig config;
    config.Image.ClockSource = pick(ClockSourceCode);
    config.General.HdlcStartAddress =
        std::max<std::uint32_t>(0x8000, static_cast<std::uint32_t>(random())) & ~3u;
    for (std::size_t li = 0; li < 2; ++li) {
        config.Image.Li[li].DefaultMode = pick(LiMode);
        for (const E1Field& f : E1Fields())
            f.Set(config.Image.Li[li].E1, f.IsEnumerated() ? pick(*f.Values) : random() % (f.Max + 1ull));
        for (const T1Field& f : T1Fields())
            f.Set(config.Image.Li[li].T1, f.IsEnumerated() ? pick(*f.Values) : random() % (f.Max + 1ull));
    }
    return config;
}

// What a load from a file gives back: Version and SerialNumber are 0.
BoardConfig AsLoaded(BoardConfig config) {
    config.Image.Version = 0;
    config.Image.SerialNumber = 0;
    return config;
}

TEST(LoaderTest, AFileWrittenForBoardTwoLoadsBackOnBoardTwo) {
    TempDir dir;
    std::mt19937 random(2);
    for (int round = 0; round < 50; ++round) {
        BoardConfig written = RandomConfig(random);
        written.Image.Version = 9;
        written.Image.SerialNumber = 0x1234;
        RecordingPrompts prompts;
        WriteFileBytes(dir / "board2.cfg",
                       test::Shown(prompts, FormatConfigFile(written, 2, DriverParameters{})).Text);

        BoardConfig loaded = Untouched();
        const LoadResult result = LoadConfigFile((dir / "board2.cfg").string(), 2, loaded);
        ASSERT_EQ(result.Outcome, LoadOutcome::Loaded) << result.Error.ParseErrorText();
        EXPECT_EQ(loaded, AsLoaded(written));
        EXPECT_TRUE(prompts.Messages.empty());
    }
}

TEST(LoaderTest, AFileWithoutTheBoardsSectionIsRefused) {
    const std::string path = DataPath("cfgfile/golden/defaults-board2.cfg").string();
    BoardConfig config = Untouched();
    const LoadResult result = LoadConfigFile(path, 1, config);
    EXPECT_EQ(result.Outcome, LoadOutcome::NoSection);
    EXPECT_EQ(config, Untouched());

    RecordingPrompts prompts;
    prompts.Show(LoadOutcomeMessage(result, path, 1).value());
    EXPECT_THAT(prompts.Messages,
                ElementsAre(ShownMessage{"Configuration File " + path + " has no settings for board 1.",
                                         MessageIcon::Stop}));
}

TEST(LoaderTest, AFileThatCannotBeOpened) {
    TempDir dir;
    for (const std::string& path : {(dir / "missing.cfg").string(), dir.Path().string()}) {
        BoardConfig config = Untouched();
        const LoadResult result = LoadConfigFile(path, 0, config);
        EXPECT_EQ(result.Outcome, LoadOutcome::CannotOpen) << path;
        EXPECT_TRUE(result.OpenError) << path;
        EXPECT_EQ(config, Untouched());

        RecordingPrompts prompts;
        prompts.Show(LoadOutcomeMessage(result, path, 0).value());
        EXPECT_THAT(prompts.Messages,
                    ElementsAre(ShownMessage{"Could not open file " + path, MessageIcon::None}));
    }
}

TEST(LoaderTest, AFileWithAnErrorShowsItsFirstErrorAndThePath) {
    const std::string path = DataPath("cfgfile/malformed/sabits-range.cfg").string();
    BoardConfig config = Untouched();
    const LoadResult result = LoadConfigFile(path, 0, config);
    EXPECT_EQ(result.Outcome, LoadOutcome::HasError);
    EXPECT_EQ(config, Untouched());

    RecordingPrompts prompts;
    prompts.Show(LoadOutcomeMessage(result, path, 0).value());
    EXPECT_THAT(prompts.Messages,
                ElementsAre(ShownMessage{"Error near line 14: SaBits value must be in the range 0x00 - 0x1F\n"
                                         " (in Configuration File " +
                                             path + ")",
                                         MessageIcon::Stop}));
}

// Every file of the corpus names its expected first error on its first line: "// expect: LINE: MESSAGE".
TEST(LoaderTest, EveryMalformedFileFailsWithItsError) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("cfgfile/malformed"))) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string text = ReadFileBytes(entry.path());
        const std::string prefix = "// expect: ";
        ASSERT_EQ(text.rfind(prefix, 0), 0u);
        const std::string expected = text.substr(prefix.size(), text.find('\n') - prefix.size());

        BoardConfig config = Untouched();
        const LoadResult result = LoadConfigFile(entry.path().string(), 0, config);
        EXPECT_EQ(result.Outcome, LoadOutcome::HasError);
        EXPECT_EQ(std::to_string(result.Error.Line()) + ": " + result.Error.Message(), expected);
        EXPECT_EQ(result.Error.ParseErrorText(), "Error near line " + std::to_string(result.Error.Line()) +
                                                     ": " + result.Error.Message() + "\n");
        EXPECT_EQ(config, Untouched());
        ++files;
    }
    EXPECT_GE(files, 30);
}

TEST(LoaderTest, NothingOfAnEarlierLoadLeaksIntoALaterOne) {
    TempDir dir;
    const std::string small = ReadFileBytes(DataPath("cfgfile/valid-small.cfg"));
    BoardConfig config = Untouched();

    // A correct file after a failed one; a later error names a line of its own file.
    ASSERT_EQ(LoadConfigFile(DataPath("cfgfile/malformed/wrong-li-number.cfg").string(), 0, config).Outcome,
              LoadOutcome::HasError);
    WriteFileBytes(dir / "small.cfg", small);
    ASSERT_EQ(LoadConfigFile((dir / "small.cfg").string(), 0, config).Outcome, LoadOutcome::Loaded);
    WriteFileBytes(dir / "bad.cfg", "BOARD 9");
    EXPECT_EQ(LoadConfigFile((dir / "bad.cfg").string(), 0, config).Error.ParseErrorText(),
              "Error near line 1: Invalid board Number\n");

    // A board 0 section that leaves out the clock line and most items gives zeros, not the values of
    // the words file loaded before it.
    ASSERT_EQ(LoadConfigFile(DataPath("cfgfile/golden/words-board0.cfg").string(), 0, config).Outcome,
              LoadOutcome::Loaded);
    EXPECT_EQ(config.Image.ClockSource, code::ClockSource::EXTERNAL_2M);
    WriteFileBytes(dir / "sparse.cfg", small.substr(0, small.find("  ClockSource")) +
                                           small.substr(small.find("  HdlcStartAddress")));
    ASSERT_EQ(LoadConfigFile((dir / "sparse.cfg").string(), 0, config).Outcome, LoadOutcome::Loaded);
    EXPECT_EQ(config.Image.ClockSource, 0);
    EXPECT_EQ(config.Image.Li[0].E1.TransmitLineCode, 0);
    EXPECT_EQ(config.Image.Li[0].T1.ClearChannels, 0u);
}

TEST(LoaderTest, DosEndOfFileMarkEndsTheFile) {
    TempDir dir;
    WriteFileBytes(dir / "dos.cfg",
                   ReadFileBytes(DataPath("cfgfile/golden/defaults-board2.cfg")) + "\x1A\x1A garbage");
    BoardConfig config;
    EXPECT_EQ(LoadConfigFile((dir / "dos.cfg").string(), 2, config).Outcome, LoadOutcome::Loaded);
}

} // namespace
} // namespace ruva
