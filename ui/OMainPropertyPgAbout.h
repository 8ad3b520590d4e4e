#pragma once
// The main sheet's General page: the product bitmap, the program's three lines and "&Resources", which
// shows the communication parameters that all boards share.

#include <QWidget>

#include <memory>

namespace Ui {
class OMainPropertyPgAbout;
}

namespace ruva {

class Driver;
class Prompts;

class OMainPropertyPgAbout : public QWidget {
    Q_OBJECT

public:
    OMainPropertyPgAbout(Driver& driver, Prompts& prompts, QWidget* parent = nullptr);
    ~OMainPropertyPgAbout() override;

    // "&Resources": opens OMainResourcesDlg with fresh values, or reports why it cannot.
    void ShowResources();

private:
    std::unique_ptr<Ui::OMainPropertyPgAbout> form_;
    Driver& driver_;
    Prompts& prompts_;
};

} // namespace ruva
