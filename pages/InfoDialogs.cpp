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

// The dialog of `kind` with the values of its rows, in their order.
InfoDialogContent Content(InfoDialogKind kind, std::string_view title, std::string_view intro,
                          std::vector<std::string> values) {
    InfoDialogContent content{kind, title, intro, {}};
    const std::span<const InfoRow> rows = InfoDialogRows(kind);
    for (std::size_t i = 0; i < rows.size(); ++i)
        content.Fields.push_back({rows[i].Name, rows[i].Label, std::move(values.at(i))});
    return content;
}

} // namespace

InfoDialogContent MainResourcesContent(const DriverParameters& parameters) {
    return Content(InfoDialogKind::MainResources, texts::ResourcesTitle, texts::SharedResourcesIntro,
                   {Decimal(parameters.Irq), Hex(static_cast<std::uint16_t>(parameters.IoBaseAddress)),
                    Decimal(parameters.NumberOfBoards), Hex(parameters.InfoBufferSize)});
}

InfoDialogContent BrdResourcesContent(const DriverParameters& parameters, int board) {
    const auto b = static_cast<std::size_t>(board);
    return Content(InfoDialogKind::BrdResources, texts::ResourcesTitle, texts::BoardResourcesIntro,
                   {Hex(parameters.DramSize.at(b)), Hex(parameters.HostMemoryWindowOffset.at(b)),
                    Hex(parameters.HostMemoryWindowSize.at(b)), Hex(parameters.HostIoWindowOffset.at(b)),
                    Hex(parameters.HostIoWindowSize.at(b))});
}

InfoDialogContent BrdSerialNoContent(std::uint16_t serialNumber, const BoardInfo& info) {
    return Content(InfoDialogKind::BrdSerialNo, texts::SerialNoTitle, texts::SerialNoIntro,
                   {FormatSerialNumber(serialNumber), FormatRevision(info.BarRevision),
                    FormatRevision(info.LadRevision), FormatRevision(info.SadRevision),
                    FormatRevision(info.MadRevision), FormatRevision(info.RscRevision),
                    FormatRevision(info.BootstrapRevision)});
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
