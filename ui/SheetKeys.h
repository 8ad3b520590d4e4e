#pragma once
// The keys that both property sheets share: Ctrl+Tab moves to the next page, Ctrl+Shift+Tab to the
// one before, each wrapping around at the end; F1 asks for help.

#include <functional>

class QWidget;

namespace ruva {

// Installs the keys on `sheet`, for the time it is the active window. `movePage` gets +1 or -1.
void AddSheetKeys(QWidget& sheet, const std::function<void(int step)>& movePage,
                  const std::function<void()>& help);

// The page `step` pages from `page` among `count`, wrapping around.
int SteppedPage(int page, int step, int count);

} // namespace ruva
