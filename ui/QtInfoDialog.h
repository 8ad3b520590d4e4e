#pragma once
// What the three board information dialogs share in Qt: their look (title, introductory text, a fixed
// size) and showing their content, which the page logic gives (InfoDialogs.h).

#include "InfoDialogs.h"

class QDialog;
class QLabel;

namespace ruva {

// Gives the dialog its title and introductory text, fills each field "<Name>" and its label
// "<Name>Label" from `content`, and fixes the dialog's size to its contents: wide enough for the title
// in a title bar, with the introductory text on two lines of about equal length at most.
void SetUpInfoDialog(QDialog& dialog, QLabel& intro, const InfoDialogContent& content);

} // namespace ruva
