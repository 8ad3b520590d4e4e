// The Qt prompts: message boxes and the set-up of the file dialogs.

#include "QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace ruva;

class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxHasTheProgramsTitleAndOneOkButton_data();
    void messageBoxHasTheProgramsTitleAndOneOkButton();
    void saveDialogAsTheOptionsAsk();
    void openDialog();
};

void QtPromptsTest::messageBoxHasTheProgramsTitleAndOneOkButton_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("expected");
    QTest::newRow("stop") << int(MessageIcon::Stop) << int(QMessageBox::Critical);
    QTest::newRow("warning") << int(MessageIcon::Warning) << int(QMessageBox::Warning);
    QTest::newRow("information") << int(MessageIcon::Information) << int(QMessageBox::Information);
    QTest::newRow("none") << int(MessageIcon::None) << int(QMessageBox::NoIcon);
}

void QtPromptsTest::messageBoxHasTheProgramsTitleAndOneOkButton() {
    QFETCH(int, icon);
    QFETCH(int, expected);
    QWidget parent;
    parent.show();
    QtPrompts prompts(&parent);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("RuvasetW"));
        QCOMPARE(box->text(), QStringLiteral("Please enter an integer."));
        QCOMPARE(int(box->icon()), expected);
        QCOMPARE(box->parentWidget(), &parent);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().constFirst()), QMessageBox::Ok);
        box->buttons().constFirst()->click();
    });
    QTimer::singleShot(5000, [] {
        if (QWidget* open = QApplication::activeModalWidget())
            open->close();
    });
    prompts.ShowMessage("Please enter an integer.", static_cast<MessageIcon>(icon));
    QVERIFY(seen);
}

void QtPromptsTest::saveDialogAsTheOptionsAsk() {
    FileDialogOptions options;
    options.DefaultExtension = "cfg";
    options.Filters = {{"Config Files (*.cfg)", "*.cfg"}, {"All Files", "*.*"}, {"Text", "*.txt;*.log"}};
    QFileDialog dialog;
    ConfigureFileDialog(dialog, options, true);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("cfg"));
    QCOMPARE(dialog.nameFilters(),
             (QStringList{"Config Files (*.cfg)", "All Files (*.*)", "Text (*.txt *.log)"}));
    QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));

    options.ConfirmOverwrite = false;
    ConfigureFileDialog(dialog, options, true);
    QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
}

void QtPromptsTest::openDialog() {
    FileDialogOptions options;
    options.DefaultExtension = "cfg";
    options.Filters = {{"Config Files (*.cfg)", "*.cfg"}};
    QFileDialog dialog;
    ConfigureFileDialog(dialog, options, false);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.nameFilters(), QStringList{"Config Files (*.cfg)"});
}

QTEST_MAIN(QtPromptsTest)
#include "QtPromptsTest.moc"
