#include "OMainPropertySheet.h"

#include "OMainPropertyPgAbout.h"
#include "OMainPropertyPgBrd.h"
#include "ProgramResources.h"
#include "QtText.h"
#include "SheetKeys.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace ruva {

OMainPropertySheet::OMainPropertySheet(Driver& driver, Prompts& prompts, AuditTrail* audit, QWidget* parent)
    : QDialog(parent), model_(driver, prompts, audit), aboutPage_(new OMainPropertyPgAbout(model_, this)),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help,
                                    this)) {
    // The About page is made inside the sheet (its parent from the start) so that its Resources
    // button becomes the sheet's default button.
    setWindowTitle(ToQString(MainPropertySheetModel::Caption()));
    setWindowIcon(ProgramIcon());
    // The program's only window is an ordinary top-level window, not a dialog: taskbars list it, and it
    // can be minimised and brought back from there. The window manager owns the window menu, so the
    // sheet asks for a minimise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);

    tabs_->addTab(aboutPage_, ToQString(MainPropertySheetModel::PageCaption(0)));
    for (int board = 0; board < BoardPageCount; ++board) {
        auto* page = new OMainPropertyPgBrd(model_.BoardPage(board));
        boardPages_[static_cast<std::size_t>(board)] = page;
        tabs_->addTab(page, ToQString(MainPropertySheetModel::PageCaption(1 + board)));
    }
    tabs_->setCurrentIndex(0);
    // Every tab stays in sight: the sheet is as wide as its row of tabs needs.
    tabs_->setUsesScrollButtons(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    // One size for all pages, taken before any page is laid out, so that the sheet keeps its size
    // when the pages are switched.
    ensurePolished();
    setFixedSize(sizeHint());

    connect(tabs_, &QTabWidget::currentChanged, this, &OMainPropertySheet::OnPageChanged);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons_, &QDialogButtonBox::helpRequested, this, &OMainPropertySheet::ShowHelp);
    AddSheetKeys(
        *this, [this](int step) { SetActivePage(SteppedPage(ActivePage(), step, PageCount)); },
        [this] { ShowHelp(); });
}

OMainPropertySheet::~OMainPropertySheet() = default;

OMainPropertyPgBrd& OMainPropertySheet::BoardPage(int board) const {
    return *boardPages_.at(static_cast<std::size_t>(board));
}

QString OMainPropertySheet::PageCaption(int index) const {
    return tabs_->tabText(index);
}

int OMainPropertySheet::ActivePage() const {
    return tabs_->currentIndex();
}

void OMainPropertySheet::SetActivePage(int index) {
    tabs_->setCurrentIndex(index);
}

QPushButton* OMainPropertySheet::Button(QDialogButtonBox::StandardButton which) const {
    return buttons_->button(which);
}

void OMainPropertySheet::ShowHelp() {
    ruva::ShowHelp(this);
}

void OMainPropertySheet::OnPageChanged(int index) {
    // A board page checks its board the first time it becomes active.
    model_.Activate(index);
    if (const auto board = MainPropertySheetModel::BoardOfPage(index))
        BoardPage(*board).OnSetActive();
}

} // namespace ruva
