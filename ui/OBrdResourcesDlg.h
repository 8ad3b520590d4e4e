#pragma once
// "Board Communication Parameters" of a board page: the board's own memory and I/O windows and its
// DRAM size.

#include "DriverRecords.h"
#include "InfoDialogs.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OBrdResourcesDlg;
}

namespace ruva {

class Driver;
class Prompts;

class OBrdResourcesDlg : public QDialog {
    Q_OBJECT

public:
    // Shows the entries of board `board` (0 to 3) of the per-board arrays of `parameters`.
    OBrdResourcesDlg(const DriverParameters& parameters, int board, QWidget* parent = nullptr);
    // Shows `content` as the page logic made it.
    explicit OBrdResourcesDlg(const InfoDialogContent& content, QWidget* parent = nullptr);
    ~OBrdResourcesDlg() override;

    // A board page's "&Resources": reads the driver's parameters afresh and shows the board's entries
    // modally; when the read fails, the driver error is reported and no dialog is shown.
    static void Open(Driver& driver, Prompts& prompts, int board, QWidget* parent);

private:
    std::unique_ptr<Ui::OBrdResourcesDlg> form_;
};

} // namespace ruva
