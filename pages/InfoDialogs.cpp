#include "InfoDialogs.h"

#include "BoardConfig.h"
#include "Driver.h"
#include "InfoFormat.h"
#include "MessageFormat.h"
#include "Prompts.h"
#include "Texts.h"

namespace ruva {

namespace {

std::string Hex(std::uint32_t value) {
    return FormatText("0x%1!X!", {value});
}

std::string Decimal(int value) {
    return FormatText("%1!d!", {value});
}

} // namespace

InfoDialogContent MainResourcesContent(const DriverParameters& parameters) {
    return {
        InfoDialogKind::MainResources,
        texts::ResourcesTitle,
        texts::SharedResourcesIntro,
        {
            {"Irq", "Irq:", Decimal(parameters.Irq)},
            {"IoBaseAddress", "Io Base Address:", Hex(static_cast<std::uint16_t>(parameters.IoBaseAddress))},
            {"NumberOfBoards", "No of boards:", Decimal(parameters.NumberOfBoards)},
            {"InfoBufferSize", "Info Buffer Size:", Hex(parameters.InfoBufferSize)},
        }};
}

InfoDialogContent BrdResourcesContent(const DriverParameters& parameters, int board) {
    const auto b = static_cast<std::size_t>(board);
    return {
        InfoDialogKind::BrdResources,
        texts::ResourcesTitle,
        texts::BoardResourcesIntro,
        {
            {"DramSize", "Board DRAM Size:", Hex(parameters.DramSize.at(b))},
            {"HostMemoryWindowOffset",
             "Host Memory Window Offset:", Hex(parameters.HostMemoryWindowOffset.at(b))},
            {"HostMemoryWindowSize", "Host Memory Window Size:", Hex(parameters.HostMemoryWindowSize.at(b))},
            {"HostIoWindowOffset", "Host IO Window Offset:", Hex(parameters.HostIoWindowOffset.at(b))},
            {"HostIoWindowSize", "Host IO Window Size:", Hex(parameters.HostIoWindowSize.at(b))},
        }};
}

InfoDialogContent BrdSerialNoContent(std::uint16_t serialNumber, const BoardInfo& info) {
    return {InfoDialogKind::BrdSerialNo,
            texts::SerialNoTitle,
            texts::SerialNoIntro,
            {
                {"SerialNumber", "Board Serial No", FormatSerialNumber(serialNumber)},
                {"BarRevision", "BAR Revision", FormatRevision(info.BarRevision)},
                {"LadRevision", "LAD Revision", FormatRevision(info.LadRevision)},
                {"SadRevision", "SAD Revision", FormatRevision(info.SadRevision)},
                {"MadRevision", "MAD Revision", FormatRevision(info.MadRevision)},
                {"RscRevision", "RSC Revision", FormatRevision(info.RscRevision)},
                {"BootstrapRevision", "Bootstrap Revision", FormatRevision(info.BootstrapRevision)},
            }};
}

namespace {

// The driver parameters; none after their driver error was shown.
std::optional<DriverParameters> Parameters(Driver& driver, Prompts& prompts) {
    MessageList shown;
    const auto parameters = ReadDriverParameters(driver, shown);
    Show(prompts, shown.All);
    return parameters;
}

} // namespace

std::optional<InfoDialogContent> ReadMainResources(Driver& driver, Prompts& prompts) {
    const auto parameters = Parameters(driver, prompts);
    return parameters ? std::optional(MainResourcesContent(*parameters)) : std::nullopt;
}

std::optional<InfoDialogContent> ReadBrdResources(Driver& driver, Prompts& prompts, int board) {
    const auto parameters = Parameters(driver, prompts);
    return parameters ? std::optional(BrdResourcesContent(*parameters, board)) : std::nullopt;
}

std::optional<BrdSerialNoValues> ReadBrdSerialNoValues(Driver& driver, Prompts& prompts, int board) {
    const auto b = static_cast<std::uint16_t>(board);
    BrdSerialNoValues values;
    ImageBytes bytes{};
    std::int32_t status = driver.ReadBoardInfo(b, values.Info);
    if (status == result::Success)
        status = driver.ReadStoredConfig(b, bytes);
    if (status != result::Success) {
        MessageList shown;
        ReportDriverError(driver, shown, status);
        Show(prompts, shown.All);
        return std::nullopt;
    }
    values.SerialNumber = StoredConfig::fromBytes(bytes).SerialNumber;
    return values;
}

std::optional<InfoDialogContent> ReadBrdSerialNo(Driver& driver, Prompts& prompts, int board) {
    const auto values = ReadBrdSerialNoValues(driver, prompts, board);
    if (!values)
        return std::nullopt;
    return BrdSerialNoContent(values->SerialNumber, values->Info);
}

} // namespace ruva
