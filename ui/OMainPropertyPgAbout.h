#pragma once
// The main sheet's About page, captioned "General": the product bitmap, the program's three lines, a
// line when the boards are simulated, and the button that shows the communication parameters that all
// boards share.

#include <QWidget>

#include <memory>

namespace Ui {
class OMainPropertyPgAbout;
}

namespace ruva {

class MainPropertySheetModel;
class QtModalWindows;

class OMainPropertyPgAbout : public QWidget {
    Q_OBJECT

public:
    // `sheet` is the main sheet's logic and outlives the page.
    explicit OMainPropertyPgAbout(MainPropertySheetModel& sheet, QWidget* parent = nullptr);
    ~OMainPropertyPgAbout() override;

private:
    std::unique_ptr<Ui::OMainPropertyPgAbout> form_;
    MainPropertySheetModel& sheet_;
    std::unique_ptr<QtModalWindows> windows_;
};

} // namespace ruva
