#pragma once
// What the three board information dialogs show: the shared communication parameters of all boards, a
// board's own parameters, and a board's serial number with its component revisions. Each opening reads
// the driver afresh; a failed read is reported once and no dialog is shown.

#include "DriverRecords.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruva {

class Driver;
class Prompts;

enum class InfoDialogKind {
    SharedResources, // "Board Communication Parameters" of the General page
    BoardResources,  // "Board Communication Parameters" of a board page
    SerialNumbers,   // "Serial Numbers and Revisions"
};

// One read-only field: its read-only edit box "<Name>", labelled by "<Name>Label".
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
InfoDialogContent SharedResources(const DriverParameters& parameters);
// The entries of board `board` (0 to 3) of the per-board arrays.
InfoDialogContent BoardResources(const DriverParameters& parameters, int board);
// The serial number (the copy in the board's stored image) and the revisions in the order BAR, LAD,
// SAD, MAD, RSC, Bootstrap.
InfoDialogContent SerialNumbers(std::uint16_t serialNumber, const BoardInfo& info);

// The commands: read the driver, then the content to show; empty when a read failed and was reported.
std::optional<InfoDialogContent> ReadSharedResources(Driver& driver, Prompts& prompts);
std::optional<InfoDialogContent> ReadBoardResources(Driver& driver, Prompts& prompts, int board);
std::optional<InfoDialogContent> ReadSerialNumbers(Driver& driver, Prompts& prompts, int board);

} // namespace ruva
