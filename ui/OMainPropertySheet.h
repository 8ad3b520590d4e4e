#pragma once
// The program's only window in Qt: the About page and a page for each of the boards 0 to 3, with OK,
// Cancel and Help, over the sheet's logic (MainPropertySheetModel), which owns the one configuration of the
// program and the flag that says whether one has been loaded.

#include "MainPropertySheetModel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include <array>

class QTabWidget;

namespace ruva {

class OMainPropertyPgAbout;
class OMainPropertyPgBrd;

class OMainPropertySheet : public QDialog {
    Q_OBJECT

public:
    static constexpr int BoardPageCount = MainPropertySheetModel::BoardPageCount;
    static constexpr int PageCount = MainPropertySheetModel::PageCount;

    // The About page is active. No board is checked until its page is first shown.
    OMainPropertySheet(Driver& driver, Prompts& prompts, AuditTrail* audit = nullptr, QWidget* parent = nullptr);
    ~OMainPropertySheet() override;

    MainPropertySheetModel& Model() { return model_; }

    // The About page.
    OMainPropertyPgAbout& AboutPage() const { return *aboutPage_; }
    OMainPropertyPgBrd& BoardPage(int board) const;

    // Page 0 is the About page, page 1 + b the page of board b.
    QString PageCaption(int index) const;
    int ActivePage() const;
    void SetActivePage(int index);

    QPushButton* Button(QDialogButtonBox::StandardButton which) const;

    // Opens the program's help beside the sheet.
    void ShowHelp();

private:
    void OnPageChanged(int index);

    MainPropertySheetModel model_;
    std::array<OMainPropertyPgBrd*, BoardPageCount> boardPages_{};
    OMainPropertyPgAbout* aboutPage_;
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
};

} // namespace ruva
