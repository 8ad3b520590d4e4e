#pragma once
// The program's pictures and its help page, compiled into the program from res/ruvasetw.qrc.

#include <QIcon>
#include <QPixmap>
#include <QUrl>

class QWidget;

namespace ruva {

// Makes the compiled-in resources available; safe to call more than once.
void InitProgramResources();

QIcon ProgramIcon();
// The picture of the board on the About page and the board pages.
QPixmap ProductBitmap();
// The small pictures beside "File" and "Board" on a board page.
QPixmap FileIcon();
QPixmap BoardIcon();

// The help page: the one installed with the program when there is one, else the compiled-in copy.
QUrl HelpPageUrl();

// Shows the help page in a window of its own beside `from`'s window, which stays usable. Asking again
// while that window is open brings it to the front.
void ShowHelp(QWidget* from);

} // namespace ruva
