#include "MainPropertyPgBrdModel.h"

#include "BoardTransfer.h"
#include "BrdPropertySheetModel.h"
#include "ConfigLoader.h"
#include "ConfigSave.h"
#include "Driver.h"
#include "InfoDialogs.h"
#include "MessageFormat.h"
#include "ModalWindows.h"
#include "Sha256.h"
#include "Texts.h"

#include <utility>

namespace ruva {

namespace {

bool HasStop(const std::vector<Message>& messages) {
    for (const Message& message : messages)
        if (message.Icon == MessageIcon::Stop)
            return true;
    return false;
}

} // namespace

bool ButtonEnabled(MainPropertyPgBrdButton button, bool boardAvailable, bool configLoaded) {
    switch (button) {
    case MainPropertyPgBrdButton::Resources:
    case MainPropertyPgBrdButton::SerialNo:
    case MainPropertyPgBrdButton::LpuBoot:
    case MainPropertyPgBrdButton::LoadFromBoard:
        return boardAvailable;
    case MainPropertyPgBrdButton::Diagnostics:
        return false;
    case MainPropertyPgBrdButton::LoadFromFile:
        return true;
    case MainPropertyPgBrdButton::SaveToFile:
    case MainPropertyPgBrdButton::EditProperties:
        return configLoaded;
    case MainPropertyPgBrdButton::SaveToBoard:
        return configLoaded && boardAvailable;
    }
    return false;
}

std::string MainPropertyPgBrdTitle(int board) {
    return FormatText(texts::BoardPageCaption, {board});
}

FileDialogOptions ConfigFileDialog() {
#ifdef _WIN32
    // "*.*" is every file on Windows, with an extension or without; the initial name "*.CFG" filters
    // the list as the name box's pattern until the user types a name.
    FileFilter allFiles{"All Files (*.*)", "*.*"};
    std::string initialName = "*.CFG";
#else
    // "*.*" would hide the names without a dot, and the dialog takes a name in its name box as typed,
    // so "*.CFG" would become the file's name: the filters alone choose what is listed.
    FileFilter allFiles{"All Files (*)", "*"};
    std::string initialName;
#endif
    return {.DefaultExtension = "cfg",
            .InitialFileName = std::move(initialName),
            .Filters = {{"Config Files (*.cfg)", "*.cfg"}, std::move(allFiles)},
            .HideReadOnly = true,
            .ConfirmOverwrite = true};
}

MainPropertyPgBrdModel::MainPropertyPgBrdModel(int boardNumber, BoardConfig& config, bool& configLoaded,
                                               Driver& driver, Prompts& prompts, ConfigSource* source,
                                               AuditTrail* audit)
    : config_(config), configLoaded_(configLoaded), source_(source != nullptr ? *source : ownSource_),
      audit_(audit), boardNumber_(boardNumber), driver_(driver), prompts_(prompts) {}

void MainPropertyPgBrdModel::Initialise() {
    if (initialised_)
        return;
    initialised_ = true;
    driver_.BeginCommand();
    const BoardCheckResult check = CheckBoard(driver_, boardNumber_, config_, audit_);
    boardAvailable_ = check.Passed;
    Show(prompts_, check.Messages);
}

bool MainPropertyPgBrdModel::IsEnabled(MainPropertyPgBrdButton button) const {
    if (!initialised_)
        return button == MainPropertyPgBrdButton::LoadFromFile;
    return ButtonEnabled(button, boardAvailable_, configLoaded_);
}

void MainPropertyPgBrdModel::Press(MainPropertyPgBrdButton button, ModalWindows& windows) {
    if (!IsEnabled(button))
        return;
    driver_.BeginCommand();
    switch (button) {
    case MainPropertyPgBrdButton::Resources:
        if (const auto content = ReadBrdResources(driver_, prompts_, boardNumber_))
            windows.ShowInformation(*content);
        break;
    case MainPropertyPgBrdButton::SerialNo:
        if (const auto content = ReadBrdSerialNo(driver_, prompts_, boardNumber_))
            windows.ShowInformation(*content);
        break;
    case MainPropertyPgBrdButton::Diagnostics:
        prompts_.ShowMessage(texts::NotImplementedYet, MessageIcon::Information);
        break;
    case MainPropertyPgBrdButton::LpuBoot:
        prompts_.ShowMessage(texts::LpuNotSupported, MessageIcon::Information);
        break;
    case MainPropertyPgBrdButton::LoadFromFile:
        LoadFromFile();
        break;
    case MainPropertyPgBrdButton::SaveToFile:
        SaveToFile();
        break;
    case MainPropertyPgBrdButton::EditProperties:
        EditProperties(windows);
        break;
    case MainPropertyPgBrdButton::LoadFromBoard:
        LoadFromBoard();
        break;
    case MainPropertyPgBrdButton::SaveToBoard:
        SaveToBoard();
        break;
    }
}

void MainPropertyPgBrdModel::LoadFromFile() {
    const auto path = prompts_.ChooseFileToOpen(ConfigFileDialog());
    if (!path)
        return;
    configFileName_ = *path;
    Sha256 digest;
    const LoadResult loaded = LoadConfigFile(configFileName_, boardNumber_, config_, &digest);
    if (const auto message = LoadOutcomeMessage(loaded, configFileName_, boardNumber_))
        prompts_.Show(*message);
    if (loaded.Outcome == LoadOutcome::Loaded) {
        configLoaded_ = true;
        source_ = ConfigSource::FromFile({configFileName_, digest.HexDigest()});
    }
}

void MainPropertyPgBrdModel::SaveToFile() {
    const auto path = prompts_.ChooseFileToSave(ConfigFileDialog());
    if (!path)
        return;
    configFileName_ = *path;
    Show(prompts_, ruva::SaveToFile(configFileName_, boardNumber_, config_, [this](MessageList& shown) {
                       return ReadDriverParameters(driver_, shown);
                   }).Messages);
}

// The transfers show their messages once they have let go of the board.
void MainPropertyPgBrdModel::LoadFromBoard() {
    const BoardLoadResult load =
        ruva::LoadFromBoard({driver_, config_, configLoaded_, boardNumber_, boardAvailable_});
    if (load.Outcome == BoardLoadOutcome::Loaded)
        source_ = ConfigSource::FromBoard(boardNumber_);
    Show(prompts_, load.Messages);
}

void MainPropertyPgBrdModel::SaveToBoard() {
    BoardSaveResult saved =
        ruva::SaveToBoard({driver_, config_, configLoaded_, boardNumber_, boardAvailable_, audit_, source_});
    MessageList shown{std::move(saved.Messages)};
    if (saved.Outcome == BoardSaveOutcome::CheckFailed && !HasStop(shown.All))
        ExplainFailedCheck(shown);
    Show(prompts_, shown.All);
}

// The board check before a save says nothing when the driver gives no parameters, no longer lists the
// board, or does not attach it (the page's first check stays silent so for a missing driver). A save
// always says why it did not save: the driver is asked again, and its error shown.
void MainPropertyPgBrdModel::ExplainFailedCheck(MessageList& shown) {
    const std::optional<DriverParameters> parameters = ReadDriverParameters(driver_, shown);
    if (!parameters)
        return;
    if (boardNumber_ >= parameters->NumberOfBoards) {
        shown.Add("save_board_not_listed", MessageIcon::Stop,
                  FormatText(texts::SaveBoardNotListed, {parameters->NumberOfBoards, boardNumber_}));
        return;
    }
    const std::int32_t attached = driver_.AttachBoard(static_cast<std::uint16_t>(boardNumber_),
                                                      static_cast<std::uint16_t>(parameters->IoBaseAddress));
    if (attached != result::Success)
        ReportDriverError(driver_, shown, attached);
    else
        shown.Add("save_check_failed", MessageIcon::Stop, FormatText(texts::SaveCheckFailed, {boardNumber_}));
}

void MainPropertyPgBrdModel::EditProperties(ModalWindows& windows) {
    const BoardConfig before = config_;
    if (ruva::EditProperties(config_, prompts_, windows) && !(config_ == before))
        source_ = source_.Edited();
}

} // namespace ruva
