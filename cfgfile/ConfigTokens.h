#pragma once
// Token codes of the configuration file language and its keyword table.
//
// A token is a code: 0 is the end of the input, 1-255 a single character coded by itself ('=' is 61,
// '{' 123, '}' 125), 257-323 a keyword, 324-332 the operators, strings, identifiers and numbers.

#include <array>
#include <cstddef>
#include <string_view>

namespace ruva {

namespace token {
inline constexpr int END_OF_INPUT = 0;

// Keywords, one code each, in the order of KeywordTable.
enum Keyword : int {
    BOARD = 257,
    CLOCKSOURCE,
    HDLCSTARTADDRESS,
    HOSTMEMORYWINDOWOFFSET,
    HOSTMEMORYWINDOWSIZE,
    HOSTIOWINDOWOFFSET,
    HOSTIOWINDOWSIZE,
    INTERNAL,
    MVIP_MASTER_CLK,
    MVIP_SEC_CLK,
    LI0,
    LI1,
    LI,
    MODE,
    EXTERNAL_8K,
    EXTERNAL_2M,
    DEFAULTMODE,
    TRANSMITPOWER,
    RECEIVEEQUALIZER,
    AUTORESYNCHRONIZATION,
    E1,
    T1,
    HIGH,
    LOW,
    YES,
    NO,
    TRANSMITLINECODE,
    HDB3,
    AMI,
    RECEIVELINECODE,
    TRANSMITFRAMEFORMAT,
    DOUBLE_FRAME,
    CRC4_MULTI_FRAME,
    CRC4_MULTI_FRAME_G706,
    RECEIVEFRAMEFORMAT,
    AISDETECTION,
    G775,
    ETS300233,
    SIBITS,
    SABITS,
    EXTENDEDHDB3ERRORDETECTION,
    B8ZS,
    FRAMEFORMAT,
    ESF,
    F4,
    F12,
    F72,
    ENABLECRC6,
    TRANSMITREMOTEALARMFORMAT,
    YELLOW_A,
    YELLOW_B,
    WRONG_2_OUT_OF_4,
    WRONG_2_OUT_OF_5,
    WRONG_2_OUT_OF_6,
    RECEIVEREMOTEALARMFORMAT,
    LFASENSITIVITY,
    AUTOMATICREGAINMULTIFRAME,
    AUTOMATICREMOTEALARM,
    LOSSENSITIVITY,
    LOSRECOVERY,
    IOBASEADDRESS,
    LINELENGTH,
    SIGNALINGMODE,
    CLEARCHANNELS,
    CCS,
    CAS_CC,
    CAS_BR,
};

inline constexpr int FirstKeyword = BOARD;
inline constexpr int LastKeyword = CAS_BR;

inline constexpr int LESS_EQUAL = 324;    // <=
inline constexpr int GREATER_EQUAL = 325; // >=
inline constexpr int EQUAL_EQUAL = 326;   // ==
inline constexpr int NOT_EQUAL = 327;     // !=
inline constexpr int STRING = 328;
inline constexpr int IDENTIFIER = 329;
inline constexpr int BINARY_NUMBER = 330;
inline constexpr int DECIMAL_NUMBER = 331;
inline constexpr int HEX_NUMBER = 332;

inline constexpr bool IsKeyword(int code) {
    return code >= FirstKeyword && code <= LastKeyword;
}
inline constexpr bool IsNumber(int code) {
    return code == BINARY_NUMBER || code == DECIMAL_NUMBER || code == HEX_NUMBER;
}
} // namespace token

struct KeywordEntry {
    std::string_view Text; // lower case
    int Code;
};

inline constexpr std::array<KeywordEntry, 67> KeywordTable{{
    {"board", token::BOARD},
    {"clocksource", token::CLOCKSOURCE},
    {"hdlcstartaddress", token::HDLCSTARTADDRESS},
    {"hostmemorywindowoffset", token::HOSTMEMORYWINDOWOFFSET},
    {"hostmemorywindowsize", token::HOSTMEMORYWINDOWSIZE},
    {"hostiowindowoffset", token::HOSTIOWINDOWOFFSET},
    {"hostiowindowsize", token::HOSTIOWINDOWSIZE},
    {"internal", token::INTERNAL},
    {"mvip_master_clk", token::MVIP_MASTER_CLK},
    {"mvip_sec_clk", token::MVIP_SEC_CLK},
    {"li0", token::LI0},
    {"li1", token::LI1},
    {"li", token::LI},
    {"mode", token::MODE},
    {"external_8k", token::EXTERNAL_8K},
    {"external_2m", token::EXTERNAL_2M},
    {"defaultmode", token::DEFAULTMODE},
    {"transmitpower", token::TRANSMITPOWER},
    {"receiveequalizer", token::RECEIVEEQUALIZER},
    {"autoresynchronization", token::AUTORESYNCHRONIZATION},
    {"e1", token::E1},
    {"t1", token::T1},
    {"high", token::HIGH},
    {"low", token::LOW},
    {"yes", token::YES},
    {"no", token::NO},
    {"transmitlinecode", token::TRANSMITLINECODE},
    {"hdb3", token::HDB3},
    {"ami", token::AMI},
    {"receivelinecode", token::RECEIVELINECODE},
    {"transmitframeformat", token::TRANSMITFRAMEFORMAT},
    {"double_frame", token::DOUBLE_FRAME},
    {"crc4_multi_frame", token::CRC4_MULTI_FRAME},
    {"crc4_multi_frame_g706", token::CRC4_MULTI_FRAME_G706},
    {"receiveframeformat", token::RECEIVEFRAMEFORMAT},
    {"aisdetection", token::AISDETECTION},
    {"g775", token::G775},
    {"ets300233", token::ETS300233},
    {"sibits", token::SIBITS},
    {"sabits", token::SABITS},
    {"extendedhdb3errordetection", token::EXTENDEDHDB3ERRORDETECTION},
    {"b8zs", token::B8ZS},
    {"frameformat", token::FRAMEFORMAT},
    {"esf", token::ESF},
    {"f4", token::F4},
    {"f12", token::F12},
    {"f72", token::F72},
    {"enablecrc6", token::ENABLECRC6},
    {"transmitremotealarmformat", token::TRANSMITREMOTEALARMFORMAT},
    {"yellow_a", token::YELLOW_A},
    {"yellow_b", token::YELLOW_B},
    {"wrong_2_out_of_4", token::WRONG_2_OUT_OF_4},
    {"wrong_2_out_of_5", token::WRONG_2_OUT_OF_5},
    {"wrong_2_out_of_6", token::WRONG_2_OUT_OF_6},
    {"receiveremotealarmformat", token::RECEIVEREMOTEALARMFORMAT},
    {"lfasensitivity", token::LFASENSITIVITY},
    {"automaticregainmultiframe", token::AUTOMATICREGAINMULTIFRAME},
    {"automaticremotealarm", token::AUTOMATICREMOTEALARM},
    {"lossensitivity", token::LOSSENSITIVITY},
    {"losrecovery", token::LOSRECOVERY},
    {"iobaseaddress", token::IOBASEADDRESS},
    {"linelength", token::LINELENGTH},
    {"signalingmode", token::SIGNALINGMODE},
    {"clearchannels", token::CLEARCHANNELS},
    {"ccs", token::CCS},
    {"cas_cc", token::CAS_CC},
    {"cas_br", token::CAS_BR},
}};

// The code of the keyword whose text equals `lowerText` exactly, or 0.
int FindKeyword(std::string_view lowerText);

} // namespace ruva
