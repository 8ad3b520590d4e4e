#include "BoardTransfer.h"

#include "Prompts.h"
#include "Texts.h"

namespace ruva {

BoardLoadResult LoadFromBoard(const TransferContext& page) {
    if (!page.BoardAvailable)
        return {BoardLoadOutcome::BoardUnavailable, result::Success};
    Driver& driver = page.BoardDriver;
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);

    BoardInfo info;
    if (std::int32_t r = driver.ReadBoardInfo(board, info); r != result::Success) {
        ReportDriverError(driver, page.User, r);
        return {BoardLoadOutcome::DriverError, r};
    }
    ImageBytes bytes{};
    if (std::int32_t r = driver.ReadStoredConfig(board, bytes); r != result::Success) {
        ReportDriverError(driver, page.User, r);
        return {BoardLoadOutcome::DriverError, r};
    }

    // The image is taken as stored, header words included; the general settings follow it.
    const StoredConfig image = StoredConfig::fromBytes(bytes);
    GeneralSettings& general = page.Config.General;
    general.ClockSource = image.ClockSource;
    general.HdlcStartAddress = info.HdlcStartAddress;
    general.DefaultMode = {image.Li[0].DefaultMode, image.Li[1].DefaultMode};
    page.Config.Image = image;
    page.ConfigLoaded = true;
    return {BoardLoadOutcome::Loaded, result::Success};
}

namespace {

// The image's copies of the general settings, and the current version.
void BringImageInLine(BoardConfig& config) {
    StoredConfig& image = config.Image;
    image.ClockSource = config.General.ClockSource;
    image.Li[0].DefaultMode = config.General.DefaultMode[0];
    image.Li[1].DefaultMode = config.General.DefaultMode[1];
    image.Version = StoredConfig::CurrentVersion;
}

// The board's stored image read into a zero-filled buffer: a failed read leaves zeros, which never
// equal an image of the current version. `readResult` receives the read's result.
ImageBytes ReadImageOrZeros(Driver& driver, std::uint16_t board, std::int32_t* readResult = nullptr) {
    ImageBytes bytes{};
    const std::int32_t r = driver.ReadStoredConfig(board, bytes);
    if (readResult != nullptr)
        *readResult = r;
    return bytes;
}

BoardSaveResult Save(const TransferContext& page, BoardWriter& writer) {
    const auto finish = [&writer](BoardSaveOutcome outcome, std::int32_t driverResult = result::Success) {
        return BoardSaveResult{outcome, driverResult, writer.Writes()};
    };
    Driver& driver = page.BoardDriver;

    if (!CheckBoard(writer, page.User, page.BoardNumber, page.Config))
        return finish(BoardSaveOutcome::CheckFailed);
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);
    bool changed = false;

    BoardInfo info;
    if (std::int32_t r = driver.ReadBoardInfo(board, info); r != result::Success) {
        ReportDriverError(driver, page.User, r);
        return finish(BoardSaveOutcome::DriverError, r);
    }
    if (info.HdlcStartAddress != page.Config.General.HdlcStartAddress) {
        info.HdlcStartAddress = page.Config.General.HdlcStartAddress;
        changed = true;
        if (std::int32_t r = writer.WriteBoardInfo(board, info); r != result::Success) {
            ReportDriverError(driver, page.User, r);
            return finish(BoardSaveOutcome::DriverError, r);
        }
    }

    std::int32_t read = result::Success;
    const ImageBytes onBoard = ReadImageOrZeros(driver, board, &read);
    BringImageInLine(page.Config);
    const ImageBytes wanted = page.Config.Image.toBytes();

    if (wanted != onBoard) {
        changed = true;
        // Without the board's image its clock source is unknown, so the selection is sent. A refused
        // selection stops the save before the image: the image on the board keeps its old clock source,
        // so the next save selects the clock again.
        if (read != result::Success ||
            StoredConfig::fromBytes(onBoard).ClockSource != page.Config.Image.ClockSource) {
            if (std::int32_t r = writer.SetClockSource(board, page.Config.Image.ClockSource);
                r != result::Success) {
                ReportDriverError(driver, page.User, r);
                return finish(BoardSaveOutcome::DriverError, r);
            }
        }
        // The write's own result is not trusted either way: the read-back decides.
        writer.WriteStoredConfig(board, wanted);
        if (!writer.IsDryRun() && ReadImageOrZeros(driver, board) != wanted) {
            page.User.ShowMessage(texts::SaveVerifyFailed, MessageIcon::Warning);
            return finish(BoardSaveOutcome::VerifyFailed);
        }
    }

    if (writer.IsDryRun())
        return finish(changed ? BoardSaveOutcome::WouldWrite : BoardSaveOutcome::Unchanged);
    page.User.ShowMessage(changed ? texts::SaveSucceeded : texts::SaveUnchanged, MessageIcon::Information);
    return finish(changed ? BoardSaveOutcome::Written : BoardSaveOutcome::Unchanged);
}

} // namespace

BoardSaveResult SaveToBoard(const TransferContext& page, WriteMode mode) {
    BoardWriter writer(page.BoardDriver, mode);
    if (mode == WriteMode::Send)
        return Save(page, writer);
    // A dry run works on a copy, so the configuration in memory stays exactly as it was.
    BoardConfig scratch = page.Config;
    const TransferContext dryRun{.BoardDriver = page.BoardDriver,
                                 .User = page.User,
                                 .Config = scratch,
                                 .ConfigLoaded = page.ConfigLoaded,
                                 .BoardNumber = page.BoardNumber,
                                 .BoardAvailable = page.BoardAvailable};
    return Save(dryRun, writer);
}

} // namespace ruva
