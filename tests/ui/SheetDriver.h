#pragma once
// Driving the board properties sheet from tests as a user would: through its controls, found by
// object name, with keyboard and mouse events, so that only what a user can do is exercised.

#include "BoardConfig.h"
#include "OBrdPropertySheet.h"
#include "QtModalWindows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

namespace ruva::test {

// A configuration with valid values in which the two line interfaces differ, so that a value landing in
// the wrong place shows.
inline BoardConfig ValidConfig() {
    BoardConfig config;
    config.General = {0x9000};
    config.Image.Version = 9;
    config.Image.SerialNumber = 0x1234;
    config.Image.ClockSource = 4;
    config.Image.Li[0].DefaultMode = 1;
    config.Image.Li[1].DefaultMode = 0;
    for (auto& li : config.Image.Li) {
        SetE1Defaults(li.E1);
        SetT1Defaults(li.T1);
    }
    config.Image.Li[1].E1.LOSSensitivity = 50;
    config.Image.Li[1].E1.TransmitFrameFormat = 1;
    config.Image.Li[1].T1.ClearChannels = 0x0F0F0F;
    config.Image.Li[1].T1.LFASensitivity = 16;
    return config;
}

// A configuration as a damaged board might hold it: codes without a list item, flags other than 0 and 1,
// bits without a check box.
inline BoardConfig ForeignConfig() {
    BoardConfig config = ValidConfig();
    config.General = {0xFFFFFFFF};
    config.Image.ClockSource = 9;
    config.Image.Li[0].DefaultMode = 5;
    config.Image.Li[1].DefaultMode = -1;
    for (auto& li : config.Image.Li) {
        li.E1.TransmitLineCode = 7;
        li.E1.ReceiveFrameFormat = -3;
        li.E1.AutoResynchronization = 2;
        li.E1.TransmitPower = 0x100;
        li.E1.SaBits = 0xFFE0;
        li.E1.SiBits = 0x8001;
        li.T1.LFASensitivity = 4;
        li.T1.SignalingMode = 3;
        li.T1.EnableCRC6 = -1;
        li.T1.ClearChannels = 0xA5000001;
    }
    return config;
}

inline bool SameBytes(const BoardConfig& a, const BoardConfig& b) {
    return a.General == b.General && a.Image.toBytes() == b.Image.toBytes();
}

// Whether the sheet shows a change not applied yet: its Apply button is enabled.
inline bool ApplyEnabled(const OBrdPropertySheet& sheet) {
    return sheet.Button(QDialogButtonBox::Apply)->isEnabled();
}

template <typename Widget>
Widget* Find(const QWidget& page, const char* name) {
    return page.findChild<Widget*>(QString::fromLatin1(name));
}

// Replaces the text of an edit field by typing.
inline void TypeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Picks the list item at `position` with the keyboard.
inline void Choose(QComboBox* list, int position) {
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < position; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

// Clicks near the left edge, where a check box has its indicator: a check box reacts only to clicks on
// its indicator and text, which may not reach the middle of a wide box.
inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

// Ctrl+Shift+Tab in each form that platforms deliver it: Backtab with Shift kept among the modifiers or
// used up by the key, or Tab with Shift.
inline std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> BackwardPageKeys() {
    return {{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
            {Qt::Key_Backtab, Qt::ControlModifier},
            {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier}};
}

// Presses a key where the user's typing goes: on the widget of `window` that has the focus.
inline void PressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(window.focusWidget() != nullptr ? window.focusWidget() : &window, key, modifiers);
}

// Drives the next modal window of type T to open while the watch lives (or a top-level window of type
// T that is shown without modality): `drive` runs once, as soon as
// the window is shown, and whatever it leaves open is closed when it returns. A modal window still open
// a few seconds after the watch began is closed too, so that a test that fails to end one cannot hang.
//
//     ModalWatch<OBrdPropertySheet> watch([](OBrdPropertySheet& sheet) { ... });
//     Press(page, "EditProperties"); // returns when the sheet has closed
//     QVERIFY(watch.Driven());
template <typename T>
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(T&)> drive)
        : drive_(std::move(drive)), before_(QApplication::activeModalWidget()), shownBefore_(ShownWindow()) {
        started_.start();
        QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
        poll_.start(5);
    }
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;

    bool Driven() const { return driven_; }

private:
    void Poll() {
        QWidget* open = QApplication::activeModalWidget();
        if ((open == nullptr || open == before_) && ShownWindow() != shownBefore_)
            open = ShownWindow();
        if (open == nullptr || open == before_) {
            if (started_.hasExpired(5000))
                poll_.stop();
            return;
        }
        auto* window = qobject_cast<T*>(open);
        if (window == nullptr) {
            if (started_.hasExpired(5000))
                open->close();
            return;
        }
        poll_.stop();
        driven_ = true;
        const QPointer<QWidget> guard = open;
        drive_(*window);
        if (guard && guard->isVisible())
            guard->close();
    }

    // The main sheet runs as an ordinary window: a shown top-level window of type T counts as well.
    static QWidget* ShownWindow() {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<T*>(window) != nullptr && window->isVisible() && !window->isModal())
                return window;
        return nullptr;
    }

    std::function<void(T&)> drive_;
    QPointer<QWidget> before_;
    QPointer<QWidget> shownBefore_;
    QElapsedTimer started_;
    QTimer poll_;
    bool driven_ = false;
};

// Runs EditProperties on `config` with the Qt program's windows, with `drive` acting on the sheet once
// it is shown.
inline bool RunEditProperties(BoardConfig& config, Prompts& prompts,
                              const std::function<void(OBrdPropertySheet&)>& drive) {
    const ModalWatch<OBrdPropertySheet> watch(drive);
    QtModalWindows windows(nullptr);
    return EditProperties(config, prompts, windows);
}

} // namespace ruva::test
