#include "OBrdPropertySheet.h"

#include "OBrdPropertyPgE1.h"
#include "OBrdPropertyPgGeneral.h"
#include "OBrdPropertyPgT1.h"
#include "QtText.h"
#include "SheetKeys.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace ruva {

AskingTabBar::AskingTabBar(std::function<void(int)> select, QWidget* parent)
    : QTabBar(parent), select_(std::move(select)) {}

void AskingTabBar::SetCurrent(int index) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

bool AskingTabBar::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int index = tabAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index >= 0 && index != currentIndex()) {
            select_(index);
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
    case QEvent::Wheel: {
        // Lets the bar work out which tab the key or the wheel moves to, unseen, and puts it back.
        const int before = currentIndex();
        int wanted = before;
        bool handled = false;
        {
            const QSignalBlocker quiet(this);
            setUpdatesEnabled(false);
            handled = QTabBar::event(event);
            wanted = currentIndex();
            setCurrentIndex(before);
            setUpdatesEnabled(true);
        }
        if (wanted != before)
            select_(wanted);
        return handled;
    }
    default:
        break;
    }
    return QTabBar::event(event);
}

OBrdPropertySheet::OBrdPropertySheet(BrdPropertySheetModel& model, QWidget* parent)
    : QDialog(parent), model_(model),
      tabs_(new AskingTabBar([this](int index) { SetActivePage(index); }, this)),
      stack_(new QStackedWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                        QDialogButtonBox::Apply | QDialogButtonBox::Help,
                                    this)) {
    setWindowTitle(ToQString(BrdPropertySheetModel::Caption()));

    for (int li = 0; li < 2; ++li) {
        pages_.push_back(new OBrdPropertyPgE1(model_.E1Page(li), stack_));
        pages_.push_back(new OBrdPropertyPgT1(model_.T1Page(li), stack_));
    }
    pages_.push_back(new OBrdPropertyPgGeneral(model_.GeneralPage(), stack_));
    for (int index = 0; index < PageCount; ++index)
        tabs_->addTab(ToQString(BrdPropertySheetModel::PageCaption(index)));

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

    connect(buttons_, &QDialogButtonBox::accepted, this, &OBrdPropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &OBrdPropertySheet::reject);
    connect(buttons_, &QDialogButtonBox::helpRequested, this, &OBrdPropertySheet::HelpRequested);
    connect(Button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &OBrdPropertySheet::Apply);

    AddSheetKeys(
        *this, [this](int step) { SetActivePage(SteppedPage(ActivePage(), step, PageCount)); },
        [this] { emit HelpRequested(); });

    model_.Enter(model_.ActivePage(), Page(model_.ActivePage()));
    stack_->setCurrentIndex(model_.ActivePage());
    tabs_->SetCurrent(model_.ActivePage());
    ShowChanged();
}

OBrdPropertySheet::~OBrdPropertySheet() = default;

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
    if (index == ActivePage())
        return true;
    // The page shown must let go first; until it does, neither the page nor its tab changes.
    if (!model_.Leave(Page(ActivePage())))
        return false;
    model_.Enter(index, Page(index));
    stack_->setCurrentIndex(index);
    tabs_->SetCurrent(index);
    return true;
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

} // namespace ruva
