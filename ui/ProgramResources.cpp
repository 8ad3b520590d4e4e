#include "ProgramResources.h"

#include "QtText.h"
#include "Texts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitResourcesOnce() {
    static const bool done = [] {
        Q_INIT_RESOURCE(ruvasetw);
        return true;
    }();
    (void)done;
}

namespace ruva {

void InitProgramResources() {
    InitResourcesOnce();
}

QIcon ProgramIcon() {
    InitProgramResources();
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/ruvasetw/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap ProductBitmap() {
    InitProgramResources();
    return QPixmap(QStringLiteral(":/ruvasetw/product.png"));
}

QPixmap FileIcon() {
    InitProgramResources();
    return QPixmap(QStringLiteral(":/ruvasetw/file.png"));
}

QPixmap BoardIcon() {
    InitProgramResources();
    return QPixmap(QStringLiteral(":/ruvasetw/icon-32.png"));
}

QUrl HelpPageUrl() {
    InitProgramResources();
    // RUVA_HELP_FROM_BINDIR: where the install puts the help page, relative to the program.
    const QFileInfo installed(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/" RUVA_HELP_FROM_BINDIR "/ruvasetw.html"));
    if (installed.isFile())
        return QUrl::fromLocalFile(installed.canonicalFilePath());
    return QUrl(QStringLiteral("qrc:/ruvasetw/help/ruvasetw.html"));
}

void ShowHelp(QWidget* from) {
    QWidget* owner = from ? from->window() : nullptr;
    const QString name = QStringLiteral("HelpWindow");
    if (owner) {
        if (auto* open = owner->findChild<QDialog*>(name, Qt::FindDirectChildrenOnly)) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    // A child of the asking window, so that the modal sheet that asked does not block it.
    auto* window = new QDialog(owner);
    window->setObjectName(name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("%1 Help").arg(ToQString(texts::ProgramName)));
    window->setWindowIcon(ProgramIcon());
    auto* browser = new QTextBrowser(window);
    browser->setOpenExternalLinks(true);
    browser->setSource(HelpPageUrl());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    window->resize(560, 520);
    window->show();
}

} // namespace ruva
