#include "InfoDialogs.h"

#include "BoardConfig.h"
#include "Driver.h"
#include "InfoFormat.h"
#include "MessageFormat.h"
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

std::optional<InfoDialogContent> ReadMainResources(Driver& driver, Prompts& prompts) {
    DriverParameters parameters;
    if (const auto status = driver.GetDriverParameters(parameters); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return std::nullopt;
    }
    return MainResourcesContent(parameters);
}

std::optional<InfoDialogContent> ReadBrdResources(Driver& driver, Prompts& prompts, int board) {
    DriverParameters parameters;
    if (const auto status = driver.GetDriverParameters(parameters); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return std::nullopt;
    }
    return BrdResourcesContent(parameters, board);
}

std::optional<BrdSerialNoValues> ReadBrdSerialNoValues(Driver& driver, Prompts& prompts, int board) {
    const auto b = static_cast<std::uint16_t>(board);
    BrdSerialNoValues values;
    if (const auto status = driver.ReadBoardInfo(b, values.Info); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return std::nullopt;
    }
    ImageBytes bytes{};
    if (const auto status = driver.ReadStoredConfig(b, bytes); status != result::Success) {
        ReportDriverError(driver, prompts, status);
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
