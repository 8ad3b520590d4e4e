#pragma once
// What the three board information dialogs show: the shared communication parameters of all boards, a
// board's own parameters, and a board's serial number with its component revisions. Each opening reads
// the driver afresh; a failed read is reported once and no dialog is shown.

#include "DriverRecords.h"
#include "PageTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruva {

class Driver;
class Prompts;

// One read-only field: a row of the dialog's table (PageTables.h) and its value.
struct InfoField {
    std::string_view Name;
    std::string_view Label;
    std::string Value;

    friend bool operator==(const InfoField&, const InfoField&) = default;
};

struct InfoDialogContent {
    InfoDialogKind Kind;
    std::string_view Title;
    std::string_view Intro;
    std::vector<InfoField> Fields; // top to bottom
};

// Irq, IoBaseAddress (unsigned), NumberOfBoards and InfoBufferSize.
InfoDialogContent MainResourcesContent(const DriverParameters& parameters);
// The entries of board `board` (0 to 3) of the per-board arrays.
InfoDialogContent BrdResourcesContent(const DriverParameters& parameters, int board);
// The serial number (the copy in the board's stored image) and the revisions in the order BAR, LAD,
// SAD, MAD, RSC, Bootstrap.
InfoDialogContent BrdSerialNoContent(std::uint16_t serialNumber, const BoardInfo& info);

// What the serial number dialog shows of a board: the serial number as the copy in the board's stored
// image, and the board information.
struct BrdSerialNoValues {
    std::uint16_t SerialNumber = 0;
    BoardInfo Info;
};
// Reads them for board `board`: the board information, then the stored image. The first read that fails
// is reported and the result is empty.
std::optional<BrdSerialNoValues> ReadBrdSerialNoValues(Driver& driver, Prompts& prompts, int board);

// The commands: read the driver, then the content to show; empty when a read failed and was reported.
std::optional<InfoDialogContent> ReadMainResources(Driver& driver, Prompts& prompts);
std::optional<InfoDialogContent> ReadBrdResources(Driver& driver, Prompts& prompts, int board);
std::optional<InfoDialogContent> ReadBrdSerialNo(Driver& driver, Prompts& prompts, int board);

} // namespace ruva
