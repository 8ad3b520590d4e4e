#pragma once
// The board properties sheet in Qt: the tabs, the pages' forms and the buttons over the sheet's logic
// (BrdPropertySheetModel), which works on copies of the configuration; QtModalWindows shows it when the
// page logic asks.

#include "BrdPropertySheetModel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>

#include <functional>
#include <vector>

class QStackedWidget;

namespace ruva {

// The sheet's tab bar. A click on a tab, or a key or wheel turn that would select another tab, is
// passed to `select` instead, which changes the current tab with SetCurrent once the page shown has
// let go: the bar never shows a tab whose page is not the one shown.
class AskingTabBar : public QTabBar {
public:
    AskingTabBar(std::function<void(int)> select, QWidget* parent);
    // Shows `index` as the current tab, without telling anyone.
    void SetCurrent(int index);

protected:
    bool event(QEvent* event) override;

private:
    std::function<void(int)> select_;
};

class OBrdPropertyPage;
class OBrdPropertyPgE1;
class OBrdPropertyPgGeneral;
class OBrdPropertyPgT1;

class OBrdPropertySheet : public QDialog {
    Q_OBJECT

public:
    // Pages in tab order: Li0E1, Li0T1, Li1E1, Li1T1, General; PageCount.
    using enum BrdPropertySheetModel::PageIndex;

    // Builds the sheet over `model`, which outlives it; the model's active page is shown.
    explicit OBrdPropertySheet(BrdPropertySheetModel& model, QWidget* parent = nullptr);
    ~OBrdPropertySheet() override;

    OBrdPropertyPage& Page(int index) const;
    OBrdPropertyPgE1& E1Page(int li) const;
    OBrdPropertyPgT1& T1Page(int li) const;
    OBrdPropertyPgGeneral& GeneralPage() const;
    QString PageCaption(int index) const;

    int ActivePage() const;
    // Stores the active page and activates `index`; false when the active page refused an entry, in
    // which case it stays active.
    bool SetActivePage(int index);

    QPushButton* Button(QDialogButtonBox::StandardButton which) const;

    // Stores the active page into its copy and clears the changed state; the configuration itself is
    // only written back by OK. False when the active page refused an entry.
    bool Apply();
    // OK: closes the sheet once the active page has stored its controls.
    void accept() override;

signals:
    // The Help button was pressed.
    void HelpRequested();

private:
    // Enables Apply when the model says that something changed.
    void ShowChanged();

    BrdPropertySheetModel& model_;
    AskingTabBar* tabs_;
    QStackedWidget* stack_;
    QDialogButtonBox* buttons_;
    std::vector<OBrdPropertyPage*> pages_;
};

} // namespace ruva
