#pragma once
// A page of the board properties sheet. Each page edits its own copy of a part of the configuration:
// it shows the copy when it becomes active and stores its controls back when it stops being active.

#include <QWidget>

namespace ruva {

class OBrdPropertyPage : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // Shows the page's copy in its controls.
    virtual void LoadControls() = 0;
    // Stores the controls into the page's copy. When an entry is refused, the message has been shown,
    // the field in error has the focus, the copy is unchanged and the result is false.
    virtual bool StoreControls() = 0;

signals:
    // The user changed a control, or a button replaced the page's copy.
    void Changed();

protected:
    // Emits Changed whenever the user picks a list item, edits a field or clicks a check box of the
    // page. A click also ends a check box's partially checked state, which only shows a stored value
    // other than 0 or 1.
    void WatchChanges();
};

} // namespace ruva
