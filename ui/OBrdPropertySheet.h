#pragma once
// The board properties sheet in Qt: the tabs, the pages' forms and the buttons over the sheet's logic
// (BoardPropertiesModel), which works on copies of the configuration. Only OK, through EditProperties,
// copies them back.

#include "BoardProperties.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>

#include <functional>
#include <memory>
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
    using enum BoardPropertiesModel::PageIndex;

    // Builds the sheet on copies of `config`'s General settings and of the E1 and T1 blocks of both
    // line interfaces; the first page is active. Messages of the pages go through `prompts`.
    OBrdPropertySheet(const BoardConfig& config, Prompts& prompts, QWidget* parent = nullptr);
    // Builds the sheet over `model`, which outlives it.
    explicit OBrdPropertySheet(BoardPropertiesModel& model, QWidget* parent = nullptr);
    ~OBrdPropertySheet() override;

    BoardPropertiesModel& Model() const { return model_; }

    // Copies the pages' copies into `config`: General and the E1 and T1 blocks of each `Li` entry of the
    // image. Nothing else of the image changes.
    void CopyBack(BoardConfig& config) const;

    OBrdPropertyPage& Page(int index) const;
    OBrdPropertyPgE1& E1Page(int li) const;
    OBrdPropertyPgT1& T1Page(int li) const;
    OBrdPropertyPgGeneral& GeneralPage() const;
    QString PageCaption(int index) const;

    int ActivePage() const;
    // Stores the active page and activates `index`; false when the active page refused an entry, in
    // which case it stays active.
    bool SetActivePage(int index);

    // Whether something changed since the sheet opened or since the last Apply (Apply is enabled).
    bool IsChanged() const;
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
    // Over `model`, or over `own` when `model` is null.
    OBrdPropertySheet(std::unique_ptr<BoardPropertiesModel> own, BoardPropertiesModel* model,
                      QWidget* parent);

    // Enables Apply when the model says that something changed.
    void ShowChanged();

    std::unique_ptr<BoardPropertiesModel> ownModel_;
    BoardPropertiesModel& model_;
    AskingTabBar* tabs_;
    QStackedWidget* stack_;
    QDialogButtonBox* buttons_;
    std::vector<OBrdPropertyPage*> pages_;
};

// Opens the board properties sheet modally on `config`. When it ends with OK, General and the E1 and
// T1 blocks of both line interfaces are copied back and the result is true; otherwise (Cancel or the
// close box, even after Apply) `config` is unchanged and the result is false. `showHelp` runs when the
// user asks for help.
bool EditProperties(BoardConfig& config, Prompts& prompts, QWidget* parent = nullptr,
                    const std::function<void()>& showHelp = {});

} // namespace ruva
