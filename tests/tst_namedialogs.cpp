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
    void characterRule_data();
    void characterRule();
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

void tst_NameDialogs::form_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("new") << QStringLiteral("New Watch List") << names("Watch List:");
    QTest::newRow("rename") << QStringLiteral("Rename Watch List")
                            << names("Rename WatchList,List1,To:");
}

void tst_NameDialogs::form()
{
    const QString kind = QString::fromLatin1(QTest::currentDataTag());
    const std::unique_ptr<QDialog> dialog = makeDialog(kind);
    QTEST(dialog->windowTitle(), "title");
    QStringList texts;
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        texts.append(label->text());
        // The list's name comes from a file: "<b>x</b>" is a name, not bold text.
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QTEST(texts, "labels");

    QVERIFY(ModalDriver::button(dialog.get(), QStringLiteral("OK"))->isEnabled());
    auto edit = dialog->findChild<QLineEdit *>();
    QVERIFY(edit->text().isEmpty());
    QVERIFY(!edit->validator());
    QCOMPARE(edit->maxLength(), 32767);
}

void tst_NameDialogs::characterRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("okEnabled");

    QTest::newRow("letters, digits, underscore") << QStringLiteral("Pump_2") << true;
    QTest::newRow("other scripts") << QStringLiteral("监视列表_Wärme") << true;
    QTest::newRow("blank") << QStringLiteral("Pump 2") << false;
    QTest::newRow("hyphen") << QStringLiteral("Pump-2") << false;
    QTest::newRow("full stop") << QStringLiteral("Pump.2") << false;
}

void tst_NameDialogs::characterRule()
{
    QFETCH(QString, text);
    QFETCH(bool, okEnabled);

    for (const QString &kind : {QStringLiteral("new"), QStringLiteral("rename")}) {
        const std::unique_ptr<QDialog> dialog = makeDialog(kind);
        auto edit = dialog->findChild<QLineEdit *>();
        QAbstractButton *ok = ModalDriver::button(dialog.get(), QStringLiteral("OK"));
        edit->setText(text);
        QCOMPARE(ok->isEnabled(), okEnabled);
        // Correcting the text enables OK again.
        edit->setText(QStringLiteral("Fine"));
        QVERIFY(ok->isEnabled());
    }
}

// The new-list dialog adds the list itself; the rename dialog only checks, and
// the caller renames List1.
void tst_NameDialogs::pressOk_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("accepted");

    const QString tooLong = QStringLiteral("Tip|Watch List Name Out Of Limit!");
    const QString used = QStringLiteral("Tip|New name has been used!");
    const auto row = [](const char *tag, const char *kind, const QString &name,
                        const QString &warning, bool accepted) {
        QTest::newRow(tag) << QString::fromLatin1(kind) << name << warning << accepted;
    };
    row("new: free name", "new", QStringLiteral("Pump"), QString(), true);
    row("new: 32 units", "new", QString(32, QLatin1Char('A')), QString(), true);
    row("new: 33 units", "new", QString(33, QLatin1Char('A')), tooLong, false);
    row("new: 33 ideographs", "new", QStringLiteral("监").repeated(33), tooLong, false);
    row("new: name in use", "new", QStringLiteral("List1"),
        QStringLiteral("Tip|A watch list named \"List1\" already exists."), false);
    row("new: differs in case", "new", QStringLiteral("list1"), QString(), true);
    row("new: empty", "new", QString(), QString(), false);
    row("rename: free name", "rename", QStringLiteral("Fan"), QString(), true);
    row("rename: another list's name", "rename", QStringLiteral("List2"), used, false);
    row("rename: unchanged name", "rename", QStringLiteral("List1"), used, false);
    row("rename: differs in case", "rename", QStringLiteral("list1"), QString(), true);
    row("rename: 40 letters", "rename", QString(40, QLatin1Char('x')), QString(), true);
    row("rename: empty", "rename", QString(), QString(), false);
}

void tst_NameDialogs::pressOk()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    const std::unique_ptr<QDialog> dialog = makeDialog(kind);
    dialog->show();
    dialog->findChild<QLineEdit *>()->setText(name);
    QString warning;
    ModalDriver driver;
    driver.onNext("QMessageBox", ModalDriver::noteMessage(&warning));
    QTest::mouseClick(ModalDriver::button(dialog.get(), QStringLiteral("OK")), Qt::LeftButton);
    // No message box: nothing to wait for.
    QTest::qWait(warning.isEmpty() && !driver.allHandled() ? 50 : 0);

    QTEST(warning, "warning");
    QCOMPARE(dialog->result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog->isVisible(), !accepted);
    const bool isNew = kind == QLatin1String("new");
    QCOMPARE(isNew ? static_cast<NewWatchListDlg *>(dialog.get())->getName()
                   : static_cast<RenameWatchListDlg *>(dialog.get())->getName(),
             name);
    QCOMPARE(model->getWatchListNames(),
             names("List1,List2") + (isNew && accepted ? QStringList{name} : QStringList()));
}

QTEST_MAIN(tst_NameDialogs)
#include "tst_namedialogs.moc"
