#pragma once
// A board page of the main sheet in Qt: the page's form over its logic (MainPropertyPgBrdModel), which moves
// the sheet's one configuration between a configuration file, memory and the page's board, opens the board
// properties sheet on it, and shows the board's resources and serial numbers.
//
// The sheet's logic checks the board the first time the page is shown; the page shows which buttons are
// enabled each time it becomes the active page (OnSetActive) and after each command.

#include "MainPropertyPgBrdModel.h"

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class OMainPropertyPgBrd;
}

namespace ruva {

class QtModalWindows;

class OMainPropertyPgBrd : public QWidget {
    Q_OBJECT

public:
    // `model` belongs to the main sheet's logic and outlives the page.
    explicit OMainPropertyPgBrd(MainPropertyPgBrdModel& model, QWidget* parent = nullptr);
    ~OMainPropertyPgBrd() override;

    // Each activation: shows which buttons are enabled.
    void OnSetActive();

private:
    // A button of the page: runs its command, then shows which buttons are enabled.
    void Press(MainPropertyPgBrdButton button);
    void ShowEnabled();

    std::unique_ptr<Ui::OMainPropertyPgBrd> form_;
    MainPropertyPgBrdModel& model_;
    std::unique_ptr<QtModalWindows> windows_;
};

} // namespace ruva
