#pragma once
// "Board Communication Parameters" of the General page: the parameters that all boards share.

#include "DriverRecords.h"
#include "InfoDialogs.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OMainResourcesDlg;
}

namespace ruva {

class Driver;
class Prompts;

class OMainResourcesDlg : public QDialog {
    Q_OBJECT

public:
    // Shows Irq, IoBaseAddress (unsigned), NumberOfBoards and InfoBufferSize of `parameters`.
    explicit OMainResourcesDlg(const DriverParameters& parameters, QWidget* parent = nullptr);
    // Shows `content` as the page logic made it.
    explicit OMainResourcesDlg(const InfoDialogContent& content, QWidget* parent = nullptr);
    ~OMainResourcesDlg() override;

    // The General page's "&Resources": reads the driver's parameters afresh and shows them modally; when
    // the read fails, the driver error is reported and no dialog is shown.
    static void Open(Driver& driver, Prompts& prompts, QWidget* parent);

private:
    std::unique_ptr<Ui::OMainResourcesDlg> form_;
};

} // namespace ruva
