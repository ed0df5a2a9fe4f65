#include "modaldriver.h"
#include "names.h"

#include "newwatchlistdlg.h"
#include "renamewatchlistdlg.h"
#include "watchlistmodel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <memory>

class tst_NameDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void form_data();
    void form();
    void pressOk_data();
    void pressOk();

private:
    std::unique_ptr<QDialog> makeDialog(const QString &kind) const;

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

std::unique_ptr<QDialog> tst_NameDialogs::makeDialog(const QString &kind) const
{
    if (kind == QLatin1String("new"))
        return std::make_unique<NewWatchListDlg>(model.get());
    return std::make_unique<RenameWatchListDlg>(QStringLiteral("List1"), model.get());
}

// Title and labels; a name longer than the limit may still be typed, and is
// refused on OK.
void tst_NameDialogs::form_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("new") << names("New Watch List,Watch List:");
    QTest::newRow("rename") << names("Rename Watch List,Rename WatchList,List1,To:");
}

void tst_NameDialogs::form()
{
    const std::unique_ptr<QDialog> dialog = makeDialog(QString::fromLatin1(QTest::currentDataTag()));
    QStringList texts{dialog->windowTitle()};
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        texts.append(label->text());
        // The list's name comes from a file: "<b>x</b>" is a name, not bold text.
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QTEST(texts, "texts");
    auto edit = dialog->findChild<QLineEdit *>();
    QVERIFY(edit->text().isEmpty());
    QVERIFY(!edit->validator());
}

// The new-list dialog adds the list itself; the rename dialog only checks, and
// the caller renames List1. A character other than a letter, a digit or "_"
// disables OK until the text is corrected.
void tst_NameDialogs::pressOk_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("accepted");

    const QString tooLong = QStringLiteral("Tip|Watch List Name Out Of Limit!");
    const QString used = QStringLiteral("Tip|New name has been used!");
    const auto row = [](const char *kind, const char *tag, const QString &name,
                        const QString &warning, bool accepted, bool okEnabled = true) {
        QTest::addRow("%s: %s", kind, tag)
            << QString::fromLatin1(kind) << name << okEnabled << warning << accepted;
    };
    for (const char *kind : {"new", "rename"}) {
        row(kind, "other scripts", QStringLiteral("监视列表_Wärme2"), QString(), true);
        row(kind, "empty", QString(), QString(), false);
        for (const char *bad : {"Pump 2", "Pump-2", "Pump.2"})
            row(kind, bad, QString::fromLatin1(bad), QString(), false, false);
    }
    row("new", "32 units", QString(32, QLatin1Char('A')), QString(), true);
    row("new", "33 units", QString(33, QLatin1Char('A')), tooLong, false);
    row("new", "33 ideographs", QStringLiteral("监").repeated(33), tooLong, false);
    row("new", "name in use", QStringLiteral("List1"),
        QStringLiteral("Tip|A watch list named \"List1\" already exists."), false);
    row("new", "differs in case", QStringLiteral("list1"), QString(), true);
    row("rename", "free name", QStringLiteral("Fan_2"), QString(), true);
    row("rename", "another list's name", QStringLiteral("List2"), used, false);
    row("rename", "unchanged name", QStringLiteral("List1"), used, false);
    row("rename", "differs in case", QStringLiteral("list1"), QString(), true);
    row("rename", "40 letters", QString(40, QLatin1Char('x')), QString(), true);
}

void tst_NameDialogs::pressOk()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    const std::unique_ptr<QDialog> dialog = makeDialog(kind);
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
    QCOMPARE(dialog->isVisible(), !accepted);
    const bool isNew = kind == QLatin1String("new");
    QCOMPARE(isNew ? static_cast<NewWatchListDlg *>(dialog.get())->getName()
                   : static_cast<RenameWatchListDlg *>(dialog.get())->getName(),
             name);
    QCOMPARE(model->getWatchListNames(),
             names("List1,List2") + (isNew && accepted ? QStringList{name} : QStringList()));
    if (!accepted) {
        edit->setText(QStringLiteral("Fine"));
        QVERIFY(ok->isEnabled());
    }
}

QTEST_MAIN(tst_NameDialogs)
#include "tst_namedialogs.moc"
