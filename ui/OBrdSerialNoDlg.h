#pragma once
// The serial number dialog: a board's serial number and the revisions of its components.

#include "InfoDialogs.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OBrdSerialNoDlg;
}

namespace ruva {

class OBrdSerialNoDlg : public QDialog {
    Q_OBJECT

public:
    // Shows `content` as the page logic made it.
    explicit OBrdSerialNoDlg(const InfoDialogContent& content, QWidget* parent = nullptr);
    ~OBrdSerialNoDlg() override;

private:
    std::unique_ptr<Ui::OBrdSerialNoDlg> form_;
};

} // namespace ruva
