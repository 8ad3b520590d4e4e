#pragma once
// The configuration file writer: the fixed text of one board's configuration, 108 lines with CR LF
// line ends, every key aligned and every number in its own format. Codes that have no value word have
// one message each, in writing order, and their word (with its line end) is left out.
//
// A text that the loader would refuse is made all the same, but the writer says that it refuses the
// configuration, and why: no file, output or copy is to be made of that text.

#include "BoardConfig.h"
#include "DriverRecords.h"
#include "Fields.h"
#include "Message.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ruva {

// Why the writer refuses a configuration: a file with its text would not load again.
enum class WriterRefusal {
    None,
    ValueWithoutWord,       // a code has no value word; each one has its message
    HdlcStartAddressTooLow, // the HDLC start address is below GeneralSettings::LowestHdlcStartAddress
};

// The refusal, in words for the messages that say what was not written: "the configuration holds ...".
std::string RefusalReason(WriterRefusal refusal, const BoardConfig& config);

struct ConfigText {
    std::string Text;
    // Whether the writer refuses the configuration (a code without a word counts before the HDLC start
    // address).
    WriterRefusal Refusal = WriterRefusal::None;
    std::vector<Message> Messages; // "Internal Error: ..." for each code without a word
};

// The text for `board` from the General settings and the E1 and T1 blocks of `config`, with the
// communication parameters of `parameters` (the driver's, read by the caller).
ConfigText FormatConfigFile(const BoardConfig& config, int board, const DriverParameters& parameters);

} // namespace ruva
