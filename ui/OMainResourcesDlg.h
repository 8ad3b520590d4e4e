#pragma once
// "Board Communication Parameters" of the About page: the parameters that all boards share.

#include "InfoDialogs.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OMainResourcesDlg;
}

namespace ruva {

class OMainResourcesDlg : public QDialog {
    Q_OBJECT

public:
    // Shows `content` as the page logic made it.
    explicit OMainResourcesDlg(const InfoDialogContent& content, QWidget* parent = nullptr);
    ~OMainResourcesDlg() override;

private:
    std::unique_ptr<Ui::OMainResourcesDlg> form_;
};

} // namespace ruva
