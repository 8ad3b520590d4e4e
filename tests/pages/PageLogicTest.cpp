// The page logic without any toolkit: the field tables that every front end binds by name, and a page
// driven through plain controls as a front end other than Qt would drive it.

#include "BrdPropertySheetModel.h"
#include "ConfigWriter.h"
#include "Driver.h"
#include "FakeBoards.h"
#include "Fields.h"
#include "MainPropertyPgBrdModel.h"
#include "MainPropertySheetModel.h"
#include "ModalWindows.h"
#include "RecordingAuditLog.h"
#include "Sha256.h"
#include "ValueSets.h"
#include "RecordingPrompts.h"
#include "ScriptedChannel.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace ruva;
using namespace ruva::test;

namespace {

// Controls as plain values, with the focus recorded.
struct PlainControls : PageControls {
    std::map<std::size_t, int> Items;
    std::map<std::pair<std::size_t, std::size_t>, CheckState> Checks;
    std::map<std::size_t, std::string> Texts;
    std::optional<std::size_t> Focus;

    void SelectItem(std::size_t field, int position) override { Items[field] = position; }
    int SelectedItem(std::size_t field) const override { return Items.at(field); }
    void SetCheck(std::size_t field, std::size_t box, CheckState state) override {
        Checks[{field, box}] = state;
    }
    CheckState Check(std::size_t field, std::size_t box) const override { return Checks.at({field, box}); }
    void SetText(std::size_t field, std::string_view text) override { Texts[field] = std::string(text); }
    std::string Text(std::size_t field) const override { return Texts.at(field); }
    void FocusEntry(std::size_t field) override { Focus = field; }
};

std::size_t FieldIndex(const BrdPropertyPageModel& page, std::string_view name) {
    const auto fields = page.Fields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].Name == name)
            return i;
    ADD_FAILURE() << "no field " << name;
    return 0;
}

// Each field of the block has exactly one control on its page, of a kind that can hold its values.
template <typename Block>
void ExpectPageCoversBlock(const BrdPropertyPageModel& page, std::span<const FieldInfo<Block>> block) {
    std::set<std::string_view> names;
    for (const FieldControl& control : page.Fields()) {
        SCOPED_TRACE(std::string(control.Name));
        EXPECT_TRUE(names.insert(control.Name).second);
        const FieldInfo<Block>* field = nullptr;
        for (const FieldInfo<Block>& candidate : block)
            if (candidate.Key == control.Name)
                field = &candidate;
        ASSERT_NE(field, nullptr);
        switch (control.Kind) {
        case ControlKind::List:
            EXPECT_EQ(control.Values, field->Values);
            break;
        case ControlKind::Check:
            ASSERT_TRUE(field->IsEnumerated());
            EXPECT_EQ(field->Values->Items.size(), 2U);
            break;
        case ControlKind::Number:
            EXPECT_EQ(control.Max, field->Max);
            EXPECT_FALSE(control.RangeRefusal.empty());
            break;
        case ControlKind::Address:
            ADD_FAILURE() << "no address in a line interface block";
            break;
        case ControlKind::Bits: {
            std::uint32_t mask = 0;
            for (const BitBox& box : control.Boxes)
                mask |= std::uint32_t{1} << box.Bit;
            EXPECT_EQ(mask, field->Max) << "one box per bit the field may hold";
            EXPECT_EQ(control.Boxes.size(), static_cast<std::size_t>(std::popcount(mask)));
            break;
        }
        }
    }
    EXPECT_EQ(names.size(), block.size());
}

} // namespace

TEST(PageTables, EveryFieldOfEachBlockHasOneFittingControl) {
    RecordingPrompts prompts;
    const BrdPropertySheetModel sheet(BoardConfig{}, prompts);
    for (int li = 0; li < 2; ++li) {
        ExpectPageCoversBlock(sheet.E1Page(li), E1Fields());
        ExpectPageCoversBlock(sheet.T1Page(li), T1Fields());
    }
    EXPECT_EQ(sheet.GeneralPage().Fields().size(), 4U);
}

TEST(PageLogic, PlainControlsShowKeepAndRefuseAsThePagesDo) {
    BoardConfig config;
    SetE1Defaults(config.Image.Li[0].E1);
    config.Image.Li[0].E1.TransmitLineCode = 7;      // no list item
    config.Image.Li[0].E1.AutoResynchronization = 2; // neither 0 nor 1
    config.Image.Li[0].E1.SaBits = 0xFFE1;           // bits without a box
    const BoardConfig original = config;
    RecordingPrompts prompts;
    BrdPropertySheetModel sheet(config, prompts);
    BrdPropertyPageModel& page = sheet.Page(BrdPropertySheetModel::Li0E1);
    PlainControls controls;
    sheet.Enter(BrdPropertySheetModel::Li0E1, controls);
    EXPECT_EQ(controls.Items.at(FieldIndex(page, "TransmitLineCode")), -1);
    const std::size_t resync = FieldIndex(page, "AutoResynchronization");
    EXPECT_EQ(controls.Checks.at({resync, 0}), CheckState::Indeterminate);
    EXPECT_EQ(ClickedState(CheckState::Indeterminate), CheckState::Checked);
    EXPECT_EQ(ClickedState(CheckState::Checked), CheckState::Unchecked);

    // Leaving at once keeps every value, those the controls cannot show included.
    ASSERT_TRUE(sheet.Leave(controls));
    sheet.CopyBack(config);
    EXPECT_EQ(config, original);
    EXPECT_FALSE(sheet.IsChanged());

    // The first refused entry in table order is reported once and takes the focus; nothing is stored.
    controls.Texts[FieldIndex(page, "LineLength")] = "x";
    controls.Texts[FieldIndex(page, "LOSRecovery")] = "256";
    controls.Checks[{resync, 0}] = CheckState::Checked;
    EXPECT_FALSE(sheet.Apply(controls));
    EXPECT_EQ(prompts.Messages,
              (std::vector<ShownMessage>{{std::string(texts::EnterIntegerUpTo255), MessageIcon::Stop}}));
    EXPECT_EQ(controls.Focus, FieldIndex(page, "LOSRecovery"));
    sheet.CopyBack(config);
    EXPECT_EQ(config, original);

    // A page button replaces the copy, shows it and marks the sheet as changed.
    sheet.Press(BrdPropertySheetModel::Li0E1, LiPageButton::DefaultValues, controls);
    EXPECT_TRUE(sheet.IsChanged());
    EXPECT_EQ(controls.Texts.at(FieldIndex(page, "LineLength")), "100");
    E1Settings defaults;
    SetE1Defaults(defaults);
    EXPECT_EQ(controls.Checks.at({resync, 0}), FlagState(defaults.AutoResynchronization));
}

TEST(PageLogic, TheGeneralPageRefusesATypedHdlcStartAddressThatNoFileLoads) {
    BoardConfig config;
    config.General.HdlcStartAddress = 0x7000; // as a board may hold it
    RecordingPrompts prompts;
    BrdPropertySheetModel sheet(config, prompts);
    const std::size_t field = FieldIndex(sheet.GeneralPage(), "HdlcStartAddress");
    PlainControls controls;
    // Shown and left alone it is kept; typed, 0x7FFC is refused as the loader refuses it, 0x8001 kept.
    const std::tuple<const char*, bool, std::uint32_t> cases[] = {
        {"0x7000", true, 0x7000}, {"0x7FFC", false, 0x7000}, {"0x8001", true, 0x8001}};
    for (const auto& [typed, accepted, stored] : cases) {
        sheet.Enter(BrdPropertySheetModel::General, controls);
        controls.Texts[field] = typed;
        EXPECT_EQ(sheet.Leave(controls), accepted) << typed;
        EXPECT_EQ(sheet.GeneralPage().Settings().HdlcStartAddress, stored) << typed;
    }
    EXPECT_EQ(controls.Focus, field);
    EXPECT_EQ(prompts.Messages,
              (std::vector<ShownMessage>{{std::string(texts::HdlcStartAddressTooLow), MessageIcon::Stop}}));
}

TEST(PageLogic, BoardPageButtonsNeedTheBoardTheConfigurationOrBoth) {
    using B = MainPropertyPgBrdButton;
    for (const bool available : {false, true}) {
        for (const bool loaded : {false, true}) {
            const std::map<B, bool> expected = {{B::Resources, available},
                                                {B::SerialNo, available},
                                                {B::Diagnostics, false},
                                                {B::LpuBoot, available},
                                                {B::LoadFromFile, true},
                                                {B::SaveToFile, loaded},
                                                {B::EditProperties, loaded},
                                                {B::LoadFromBoard, available},
                                                {B::SaveToBoard, loaded && available}};
            for (const auto& [button, enabled] : expected)
                EXPECT_EQ(ButtonEnabled(button, available, loaded), enabled)
                    << int(button) << " available " << available << " loaded " << loaded;
        }
    }
    // The main sheet's first page is the About page, then come the boards' pages.
    EXPECT_EQ(MainPropertySheetModel::BoardOfPage(0), std::nullopt);
    EXPECT_EQ(MainPropertySheetModel::BoardOfPage(1), 0);
    EXPECT_EQ(MainPropertySheetModel::BoardOfPage(4), 3);
    EXPECT_EQ(MainPropertySheetModel::BoardOfPage(5), std::nullopt);
}

TEST(PageLogic, ConfigFileDialogsOfferConfigFilesThenAllFilesAsThePlatformWritesThem) {
    const FileDialogOptions options = ConfigFileDialog();
#ifdef _WIN32
    const std::vector<std::string> expected = {"*.CFG", "Config Files (*.cfg)", "*.cfg", "All Files (*.*)",
                                               "*.*"};
#else
    const std::vector<std::string> expected = {"", "Config Files (*.cfg)", "*.cfg", "All Files (*)", "*"};
#endif
    std::vector<std::string> shown = {options.InitialFileName};
    for (const FileFilter& filter : options.Filters)
        shown.insert(shown.end(), {filter.Description, filter.Pattern});
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(options.DefaultExtension, "cfg");
}

TEST(PageLogic, BoardPageEnablesOnlyLoadFromFileBeforeItsCheck) {
    BoardConfig config;
    bool loaded = true; // loaded through another page
    RecordingPrompts prompts;
    ScriptedChannel channel;
    Driver driver(channel);
    MainPropertyPgBrdModel page(1, config, loaded, driver, prompts);
    EXPECT_EQ(page.Title(), "Board 1");
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        EXPECT_EQ(page.IsEnabled(button.Id), button.Id == MainPropertyPgBrdButton::LoadFromFile)
            << button.Name;
    // A press of a button that is not enabled does nothing.
    struct NoWindows : ModalWindows {
        bool RunBoardProperties(BrdPropertySheetModel&) override {
            ADD_FAILURE();
            return false;
        }
        void ShowInformation(const InfoDialogContent&) override { ADD_FAILURE(); }
    } windows;
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        if (button.Id != MainPropertyPgBrdButton::LoadFromFile)
            page.Press(button.Id, windows);
    EXPECT_TRUE(channel.Requests.empty());
    EXPECT_TRUE(prompts.Messages.empty());
    page.Initialise(); // no driver: the board is unavailable
    EXPECT_TRUE(page.IsEnabled(MainPropertyPgBrdButton::EditProperties));
    EXPECT_FALSE(page.IsEnabled(MainPropertyPgBrdButton::SaveToBoard));
    EXPECT_FALSE(page.IsEnabled(MainPropertyPgBrdButton::Resources));
}

TEST(PageLogic, TheGeneralPageSaysWhenTheBoardsAreSimulatedAndWhyTheyCannotBeUsed) {
    RecordingPrompts prompts;
    ScriptedChannel channel;
    Driver device(channel);
    EXPECT_EQ(MainPropertySheetModel(device, prompts).SimulatedBoardsLine(), "");
    Driver driver(channel, {.SimulatorState = "s.json"});
    MainPropertySheetModel sheet(driver, prompts);
    EXPECT_EQ(sheet.SimulatedBoardsLine(),
              "Simulated boards, kept in the state file s.json: no real board is used.");

    // No missing driver: the line, the first board page shown (once) and Resources say why.
    channel.OpenSucceeds = false;
    channel.DiagnosisText = "The simulated boards cannot be used: cannot read the state file s.json: EACCES";
    OpenDriverAtStart(driver);
    EXPECT_EQ(sheet.SimulatedBoardsLine(), channel.DiagnosisText);
    for (int page = 1; page < MainPropertySheetModel::PageCount; ++page)
        sheet.Activate(page);
    struct : ModalWindows {
        bool RunBoardProperties(BrdPropertySheetModel&) override { return false; }
        void ShowInformation(const InfoDialogContent&) override {}
    } windows;
    sheet.Press(MainPropertyPgAboutButton::Resources, windows);
    EXPECT_EQ(prompts.Messages,
              (std::vector<ShownMessage>{{channel.DiagnosisText, MessageIcon::Stop},
                                         {"Error #52: " + channel.DiagnosisText, MessageIcon::Stop}}));
}

// The save to a board after "Load -->" records the file, by name and SHA-256, as the source; an Edit
// Properties that ends with OK but changes nothing leaves it so.
TEST(PageLogic, SaveToBoardRecordsTheFileItWasLoadedFrom) {
    ScriptedChannel channel;
    FakeBoards boards;
    boards.Serve(channel);
    Driver driver(channel);
    driver.OpenDriver(0);
    RecordingPrompts prompts;
    RecordingAuditLog log;
    AuditTrail audit(log, "ruvasetw", "alice", "pc1");
    MainPropertySheetModel sheet(driver, prompts, &audit);
    BoardConfig config; // board 1's own, but for the clock source
    config.Image = boards.Boards[1].Image;
    config.General = {0x9000};
    config.Image.ClockSource = code::ClockSource::LI1;
    const std::string path = (std::filesystem::path(::testing::TempDir()) / "audit-page.cfg").string();
    std::ofstream(path, std::ios::binary) << FormatConfigFile(config, 1, boards.Parameters).Text;
    prompts.OpenChoices.push_back(path);

    struct : ModalWindows {
        bool RunBoardProperties(BrdPropertySheetModel&) override { return true; }
        void ShowInformation(const InfoDialogContent&) override {}
    } ok;
    sheet.Activate(2);
    MainPropertyPgBrdModel& page = sheet.BoardPage(1);
    for (const MainPropertyPgBrdButton button :
         {MainPropertyPgBrdButton::LoadFromFile, MainPropertyPgBrdButton::EditProperties,
          MainPropertyPgBrdButton::SaveToBoard})
        page.Press(button, ok);
    ASSERT_EQ(log.Records.size(), 2u); // that the save has begun, then its outcome
    const AuditRecord& record = log.Records[1];
    EXPECT_EQ(record.Source, "file");
    ASSERT_TRUE(record.File);
    EXPECT_EQ(record.File->Name, path);
    Sha256 digest;
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    digest.Update({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
    EXPECT_EQ(record.File->Sha256, digest.HexDigest());
    EXPECT_EQ(record.Changes, (std::vector<std::string>{"ClockSource: INTERNAL → LI1"}));
    std::filesystem::remove(path);
}

// "Save -->" always says why it did not save, also where the board check before it says nothing: the
// driver's error when the device stopped answering (after which nothing more is sent) or refused to attach
// the board, or that the board is no longer listed.
TEST(PageLogic, SaveToBoardSaysWhyTheSilentCheckFailed) {
    struct Case {
        Request Faulty;
        CannedReply Reply;
        int Times;
        std::string Shown;
        std::size_t RequestsAfter; // sent by the save and its explanation
    };
    FakeBoards listed;
    listed.Parameters.NumberOfBoards = 1;
    std::vector<std::uint8_t> oneBoard(4, 0);
    const auto parameterBytes = listed.Parameters.toBytes();
    oneBoard.insert(oneBoard.end(), parameterBytes.begin(), parameterBytes.end());
    const std::vector<Case> cases = {
        {Request::GetDriverParameters, NoAnswer(), 1,
         "Error #51: " + std::string(texts::DriverNotInstalled), 1},
        {Request::AttachBoard, StatusReply(7), 2, "Error #7: ", 5},
        {Request::GetDriverParameters, CannedReply{true, oneBoard}, 2,
         "Nothing was saved: the driver now reports 1 installed board(s), and board 1 is not among them.", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Faulty));
        ScriptedChannel channel;
        FakeBoards boards;
        boards.Serve(channel);
        Driver driver(channel);
        driver.OpenDriver(0);
        RecordingPrompts prompts;
        MainPropertySheetModel sheet(driver, prompts);
        struct : ModalWindows {
            bool RunBoardProperties(BrdPropertySheetModel&) override { return false; }
            void ShowInformation(const InfoDialogContent&) override {}
        } windows;
        sheet.Activate(2);
        MainPropertyPgBrdModel& page = sheet.BoardPage(1);
        page.Press(MainPropertyPgBrdButton::LoadFromBoard, windows);
        ASSERT_TRUE(page.IsEnabled(MainPropertyPgBrdButton::SaveToBoard));
        for (int i = 0; i < c.Times; ++i)
            boards.Fault(c.Faulty, c.Reply);
        prompts.Messages.clear();
        const std::size_t before = channel.Requests.size();
        page.Press(MainPropertyPgBrdButton::SaveToBoard, windows);
        ASSERT_FALSE(prompts.Messages.empty());
        EXPECT_EQ(prompts.Messages.front().Icon, MessageIcon::Stop);
        EXPECT_EQ(prompts.Messages.front().Text.substr(0, c.Shown.size()), c.Shown);
        EXPECT_EQ(channel.Requests.size() - before, c.RequestsAfter);
    }
}
