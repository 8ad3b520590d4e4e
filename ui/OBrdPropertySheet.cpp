#include "OBrdPropertySheet.h"

#include "OBrdPropertyPgE1.h"
#include "OBrdPropertyPgGeneral.h"
#include "OBrdPropertyPgT1.h"
#include "QtModalWindows.h"
#include "QtText.h"

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace ruva {

OBrdPropertySheet::OBrdPropertySheet(const BoardConfig& config, Prompts& prompts, QWidget* parent)
    : OBrdPropertySheet(std::make_unique<BoardPropertiesModel>(config, prompts), nullptr, parent) {}

OBrdPropertySheet::OBrdPropertySheet(BoardPropertiesModel& model, QWidget* parent)
    : OBrdPropertySheet(nullptr, &model, parent) {}

OBrdPropertySheet::OBrdPropertySheet(std::unique_ptr<BoardPropertiesModel> own, BoardPropertiesModel* model,
                                     QWidget* parent)
    : QDialog(parent), ownModel_(std::move(own)), model_(model ? *model : *ownModel_),
      tabs_(new QTabBar(this)), stack_(new QStackedWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                        QDialogButtonBox::Apply | QDialogButtonBox::Help,
                                    this)) {
    setWindowTitle(ToQString(BoardPropertiesModel::Caption()));

    for (int li = 0; li < 2; ++li) {
        pages_.push_back(new OBrdPropertyPgE1(model_.E1Page(li), stack_));
        pages_.push_back(new OBrdPropertyPgT1(model_.T1Page(li), stack_));
    }
    pages_.push_back(new OBrdPropertyPgGeneral(model_.GeneralPage(), stack_));
    for (int index = 0; index < PageCount; ++index)
        tabs_->addTab(ToQString(BoardPropertiesModel::PageCaption(index)));

    for (int index = 0; index < PageCount; ++index) {
        OBrdPropertyPage* page = pages_[static_cast<std::size_t>(index)];
        stack_->addWidget(page);
        connect(page, &OBrdPropertyPage::Changed, this, [this] {
            model_.ControlChanged();
            ShowChanged();
        });
        connect(page, &OBrdPropertyPage::ButtonPressed, this, [this, index, page](LiPageButton button) {
            model_.Press(index, button, *page);
            ShowChanged();
        });
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

    model_.Enter(model_.ActivePage(), Page(model_.ActivePage()));
    stack_->setCurrentIndex(model_.ActivePage());
    tabs_->setCurrentIndex(model_.ActivePage());
    ShowChanged();
}

OBrdPropertySheet::~OBrdPropertySheet() = default;

void OBrdPropertySheet::CopyBack(BoardConfig& config) const {
    model_.CopyBack(config);
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
    if (!model_.Leave(Page(ActivePage()))) {
        revertingTab_ = true;
        tabs_->setCurrentIndex(ActivePage());
        revertingTab_ = false;
        return;
    }
    model_.Enter(index, Page(index));
    stack_->setCurrentIndex(index);
}

bool OBrdPropertySheet::IsChanged() const {
    return Button(QDialogButtonBox::Apply)->isEnabled();
}

QPushButton* OBrdPropertySheet::Button(QDialogButtonBox::StandardButton which) const {
    return buttons_->button(which);
}

void OBrdPropertySheet::ShowChanged() {
    Button(QDialogButtonBox::Apply)->setEnabled(model_.IsChanged());
}

bool OBrdPropertySheet::Apply() {
    const bool stored = model_.Apply(Page(ActivePage()));
    ShowChanged();
    return stored;
}

void OBrdPropertySheet::accept() {
    if (model_.Accept(Page(ActivePage())))
        QDialog::accept();
}

bool EditProperties(BoardConfig& config, Prompts& prompts, QWidget* parent,
                    const std::function<void()>& showHelp) {
    QtModalWindows windows(parent, showHelp);
    return EditProperties(config, prompts, [&windows](BoardPropertiesModel& model) {
        return windows.RunBoardProperties(model);
    });
}

} // namespace ruva
