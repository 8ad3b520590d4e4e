#include "SheetKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace ruva {

void AddSheetKeys(QWidget& sheet, const std::function<void(int step)>& movePage,
                  const std::function<void()>& help) {
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), &sheet);
    QObject::connect(next, &QShortcut::activated, &sheet, [movePage] { movePage(+1); });

    // Shift+Tab arrives as Backtab; depending on the platform's key mapping Shift is still among the
    // modifiers or has been used up by the key. Some platforms send Tab with Shift instead.
    auto* back = new QShortcut(&sheet);
    back->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                   QKeySequence(Qt::CTRL | Qt::Key_Backtab),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    QObject::connect(back, &QShortcut::activated, &sheet, [movePage] { movePage(-1); });

    auto* f1 = new QShortcut(QKeySequence::HelpContents, &sheet);
    QObject::connect(f1, &QShortcut::activated, &sheet, [help] { help(); });
}

int SteppedPage(int page, int step, int count) {
    return ((page + step) % count + count) % count;
}

} // namespace ruva
