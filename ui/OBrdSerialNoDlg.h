#pragma once
// "Serial Numbers and Revisions": a board's serial number and the revisions of its components.

#include "DriverRecords.h"
#include "InfoDialogs.h"

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class OBrdSerialNoDlg;
}

namespace ruva {

class Driver;
class Prompts;

class OBrdSerialNoDlg : public QDialog {
    Q_OBJECT

public:
    // Shows `serialNumber` (the copy in the board's stored image) and the revisions of `info`, in the
    // order BAR, LAD, SAD, MAD, RSC, Bootstrap.
    OBrdSerialNoDlg(std::uint16_t serialNumber, const BoardInfo& info, QWidget* parent = nullptr);
    // Shows `content` as the page logic made it.
    explicit OBrdSerialNoDlg(const InfoDialogContent& content, QWidget* parent = nullptr);
    ~OBrdSerialNoDlg() override;

    // A board page's "&Serial No": reads the board information and the stored image of board `board`
    // afresh and shows them modally; the first read that fails is reported and no dialog is shown.
    static void Open(Driver& driver, Prompts& prompts, int board, QWidget* parent);

private:
    std::unique_ptr<Ui::OBrdSerialNoDlg> form_;
};

} // namespace ruva
