#pragma once
// "Board Communication Parameters" of a board page: the board's own memory and I/O windows and its
// DRAM size.

#include "InfoDialogs.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OBrdResourcesDlg;
}

namespace ruva {

class OBrdResourcesDlg : public QDialog {
    Q_OBJECT

public:
    // Shows `content` as the page logic made it.
    explicit OBrdResourcesDlg(const InfoDialogContent& content, QWidget* parent = nullptr);
    ~OBrdResourcesDlg() override;

private:
    std::unique_ptr<Ui::OBrdResourcesDlg> form_;
};

} // namespace ruva
