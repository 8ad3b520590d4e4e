#include "OBrdPropertySheet.h"

#include "MessageFormat.h"
#include "OBrdPropertyPgE1.h"
#include "OBrdPropertyPgGeneral.h"
#include "OBrdPropertyPgT1.h"
#include "QtText.h"
#include "Texts.h"

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace ruva {

OBrdPropertySheet::OBrdPropertySheet(const BoardConfig& config, Prompts& prompts, QWidget* parent)
    : QDialog(parent), copies_(config), tabs_(new QTabBar(this)), stack_(new QStackedWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                        QDialogButtonBox::Apply | QDialogButtonBox::Help,
                                    this)) {
    setWindowTitle(ToQString(texts::SheetCaption));

    for (int li = 0; li < 2; ++li) {
        pages_.push_back(new OBrdPropertyPgE1(copies_.Image, li, prompts, stack_));
        pages_.push_back(new OBrdPropertyPgT1(copies_.Image, li, prompts, stack_));
        tabs_->addTab(ToQString(FormatText(texts::LiE1PageCaption, {li})));
        tabs_->addTab(ToQString(FormatText(texts::LiT1PageCaption, {li})));
    }
    pages_.push_back(new OBrdPropertyPgGeneral(copies_.General, prompts, stack_));
    tabs_->addTab(ToQString(texts::GeneralPageCaption));

    for (OBrdPropertyPage* page : pages_) {
        stack_->addWidget(page);
        connect(page, &OBrdPropertyPage::Changed, this, [this] { SetChanged(true); });
    }
    stack_->setFrameShape(QFrame::StyledPanel);
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(stack_);
    layout->addSpacing(layout->contentsMargins().top());
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(tabs_, &QTabBar::currentChanged, this, &OBrdPropertySheet::OnTabChanged);
    connect(buttons_, &QDialogButtonBox::accepted, this, &OBrdPropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &OBrdPropertySheet::reject);
    connect(buttons_, &QDialogButtonBox::helpRequested, this, &OBrdPropertySheet::HelpRequested);
    connect(Button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &OBrdPropertySheet::Apply);

    // The keys of a tabbed dialog: Ctrl+Tab and Ctrl+Shift+Tab move between pages, F1 asks for help.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this), &QShortcut::activated, this,
            [this] { SetActivePage((ActivePage() + 1) % PageCount); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this), &QShortcut::activated,
            this, [this] { SetActivePage((ActivePage() + PageCount - 1) % PageCount); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &OBrdPropertySheet::HelpRequested);

    SetChanged(false);
    pages_.front()->LoadControls();
}

OBrdPropertySheet::~OBrdPropertySheet() = default;

void OBrdPropertySheet::CopyBack(BoardConfig& config) const {
    config.General = copies_.General;
    for (std::size_t li = 0; li < 2; ++li) {
        config.Image.Li[li].E1 = copies_.Image.Li[li].E1;
        config.Image.Li[li].T1 = copies_.Image.Li[li].T1;
    }
}

OBrdPropertyPage& OBrdPropertySheet::Page(int index) const {
    return *pages_.at(static_cast<std::size_t>(index));
}

OBrdPropertyPgE1& OBrdPropertySheet::E1Page(int li) const {
    return static_cast<OBrdPropertyPgE1&>(Page(li == 0 ? Li0E1 : Li1E1));
}

OBrdPropertyPgT1& OBrdPropertySheet::T1Page(int li) const {
    return static_cast<OBrdPropertyPgT1&>(Page(li == 0 ? Li0T1 : Li1T1));
}

OBrdPropertyPgGeneral& OBrdPropertySheet::GeneralPage() const {
    return static_cast<OBrdPropertyPgGeneral&>(Page(General));
}

QString OBrdPropertySheet::PageCaption(int index) const {
    return tabs_->tabText(index);
}

int OBrdPropertySheet::ActivePage() const {
    return stack_->currentIndex();
}

bool OBrdPropertySheet::SetActivePage(int index) {
    tabs_->setCurrentIndex(index);
    return ActivePage() == index;
}

void OBrdPropertySheet::OnTabChanged(int index) {
    if (revertingTab_ || index == ActivePage())
        return;
    if (!Page(ActivePage()).StoreControls()) {
        revertingTab_ = true;
        tabs_->setCurrentIndex(ActivePage());
        revertingTab_ = false;
        return;
    }
    Page(index).LoadControls();
    stack_->setCurrentIndex(index);
}

bool OBrdPropertySheet::IsChanged() const {
    return Button(QDialogButtonBox::Apply)->isEnabled();
}

QPushButton* OBrdPropertySheet::Button(QDialogButtonBox::StandardButton which) const {
    return buttons_->button(which);
}

void OBrdPropertySheet::SetChanged(bool changed) {
    Button(QDialogButtonBox::Apply)->setEnabled(changed);
}

bool OBrdPropertySheet::Apply() {
    if (!Page(ActivePage()).StoreControls())
        return false;
    SetChanged(false);
    return true;
}

void OBrdPropertySheet::accept() {
    if (Page(ActivePage()).StoreControls())
        QDialog::accept();
}

bool EditProperties(BoardConfig& config, Prompts& prompts, QWidget* parent,
                    const std::function<void()>& showHelp) {
    OBrdPropertySheet sheet(config, prompts, parent);
    if (showHelp)
        QObject::connect(&sheet, &OBrdPropertySheet::HelpRequested, &sheet, showHelp);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    sheet.CopyBack(config);
    return true;
}

} // namespace ruva
