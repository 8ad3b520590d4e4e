#pragma once
// What the three board information dialogs share: their look (title, introductory text, a fixed size)
// and the formats of their values.

#include <QString>

#include <cstdint>
#include <string_view>

class QDialog;
class QLabel;

namespace ruva {

// Gives the dialog its title and introductory text and fixes its size to its contents: wide enough for
// the title in a title bar, with the introductory text on two lines of about equal length at most.
void SetUpInfoDialog(QDialog& dialog, QLabel& intro, std::string_view title, std::string_view introText);

// "0x" and the value in upper-case hexadecimal without leading zeros: 768 -> "0x300", 0 -> "0x0".
QString HexValue(std::uint32_t value);
// The value in plain decimal.
QString DecimalValue(int value);

} // namespace ruva
