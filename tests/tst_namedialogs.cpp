#include "modaldriver.h"
#include "names.h"

#include "newwatchlistdlg.h"
#include "renamewatchlistdlg.h"
#include "watchlistmodel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

class tst_NameDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pressOk_data();
    void pressOk();

private:
    std::unique_ptr<WatchListModel> model;
};

void tst_NameDialogs::init()
{
    model = std::make_unique<WatchListModel>();
    model->appendWatchList(QStringLiteral("List1"));
    model->appendWatchList(QStringLiteral("List2"));
}

void tst_NameDialogs::cleanup()
{
    model.reset();
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

// The new-list dialog adds the list itself; the rename dialog only checks, and
// the caller renames List1. A character other than a letter, a digit or "_"
// disables OK. A name longer than the limit may still be typed, and is
// refused on OK.
void tst_NameDialogs::pressOk_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("accepted");

    const QString tooLong = QStringLiteral("Tip|Watch List Name Out Of Limit!");
    const QString inUse = QStringLiteral("Tip|A watch list named \"List1\" already exists.");
    const QString used = QStringLiteral("Tip|New name has been used!");
    // Tagged "kind: case".
    const auto row = [](const char *tag, const QString &name, const QString &warning, bool ok) {
        QTest::newRow(tag) << name << true << warning << ok;
    };
    const auto badRow = [](const char *tag, const char *name) {
        QTest::newRow(tag) << QString::fromLatin1(name) << false << QString() << false;
    };
    row("new: other scripts", QStringLiteral("监视列表_Wärme2"), QString(), true);
    row("new: empty", QString(), QString(), false);
    row("rename: empty", QString(), QString(), false);
    badRow("new: space", "Pump 2");
    badRow("rename: dot", "Pump.2");
    row("new: 32 units", QString(32, QLatin1Char('A')), QString(), true);
    row("new: 33 units", QString(33, QLatin1Char('A')), tooLong, false);
    row("new: name in use", QStringLiteral("List1"), inUse, false);
    row("new: differs in case", QStringLiteral("list1"), QString(), true);
    row("rename: another list's name", QStringLiteral("List2"), used, false);
    row("rename: differs in case", QStringLiteral("list1"), QString(), true);
}

void tst_NameDialogs::pressOk()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const bool isNew = QByteArray(QTest::currentDataTag()).startsWith("new:");
    const std::unique_ptr<QDialog> dialog(
        isNew ? static_cast<QDialog *>(new NewWatchListDlg(model.get()))
              : new RenameWatchListDlg(QStringLiteral("List1"), model.get()));
    // The list's name comes from a file: "<b>x</b>" is a name, not bold text.
    for (const QLabel *label : dialog->findChildren<QLabel *>())
        QCOMPARE(label->textFormat(), Qt::PlainText);
    dialog->show();
    auto edit = dialog->findChild<QLineEdit *>();
    QAbstractButton *ok = ModalDriver::button(dialog.get(), QStringLiteral("OK"));
    edit->setText(name);
    QTEST(ok->isEnabled(), "okEnabled");
    QString warning;
    ModalDriver driver;
    driver.onNext("QMessageBox", ModalDriver::noteMessage(&warning));
    QTest::mouseClick(ok, Qt::LeftButton);

    QTEST(warning, "warning");
    QCOMPARE(dialog->result() == QDialog::Accepted, accepted);
    QCOMPARE(model->getWatchListNames(),
             names("List1,List2") + (isNew && accepted ? QStringList{name} : QStringList()));
}

QTEST_MAIN(tst_NameDialogs)
#include "tst_namedialogs.moc"
