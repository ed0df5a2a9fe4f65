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

namespace {

QAbstractButton *okButton(QWidget *dialog)
{
    return ModalDriver::button(dialog, QStringLiteral("OK"));
}

} // namespace

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
    void newName_data();
    void newName();
    void rename_data();
    void rename();

private:
    std::unique_ptr<QDialog> makeDialog(const QString &kind) const;
    // Presses OK; returns the text of the warning it brought up, if any.
    QString pressOk(QDialog *dialog);

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

QString tst_NameDialogs::pressOk(QDialog *dialog)
{
    QString warning;
    ModalDriver driver;
    driver.onNext("QMessageBox", ModalDriver::noteMessage(&warning));
    QTest::mouseClick(okButton(dialog), Qt::LeftButton);
    // No message box: nothing to wait for.
    QTest::qWait(warning.isEmpty() && !driver.allHandled() ? 50 : 0);
    return warning;
}

void tst_NameDialogs::form_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("new") << QStringLiteral("new") << QStringLiteral("New Watch List")
                         << names("Watch List:");
    QTest::newRow("rename") << QStringLiteral("rename") << QStringLiteral("Rename Watch List")
                            << names("Rename WatchList,List1,To:");
}

void tst_NameDialogs::form()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, labels);

    const std::unique_ptr<QDialog> dialog = makeDialog(kind);
    QCOMPARE(dialog->windowTitle(), title);
    QStringList texts;
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        texts.append(label->text());
        // The list's name comes from a file: "<b>x</b>" is a name, not bold text.
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QCOMPARE(texts, labels);

    QVERIFY(okButton(dialog.get())->isEnabled());
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
        edit->setText(text);
        QCOMPARE(okButton(dialog.get())->isEnabled(), okEnabled);
        // Correcting the text enables OK again.
        edit->setText(QStringLiteral("Fine"));
        QVERIFY(okButton(dialog.get())->isEnabled());
    }
}

void tst_NameDialogs::newName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("new name") << QStringLiteral("Pump") << QString() << true;
    QTest::newRow("32 units") << QString(32, QLatin1Char('A')) << QString() << true;
    QTest::newRow("33 units") << QString(33, QLatin1Char('A'))
                              << QStringLiteral("Tip|Watch List Name Out Of Limit!") << false;
    QTest::newRow("33 ideographs") << QStringLiteral("监").repeated(33)
                                   << QStringLiteral("Tip|Watch List Name Out Of Limit!") << false;
    QTest::newRow("name in use") << QStringLiteral("List1")
                                 << QStringLiteral(
                                        "Tip|A watch list named \"List1\" already exists.")
                                 << false;
    QTest::newRow("differs in case") << QStringLiteral("list1") << QString() << true;
    QTest::newRow("empty") << QString() << QString() << false;
}

void tst_NameDialogs::newName()
{
    QFETCH(QString, name);
    QFETCH(QString, warning);
    QFETCH(bool, accepted);

    NewWatchListDlg dialog(model.get());
    dialog.show();
    const QStringList before = model->getWatchListNames();
    dialog.findChild<QLineEdit *>()->setText(name);
    QCOMPARE(pressOk(&dialog), warning);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    QCOMPARE(dialog.getName(), name);
    QCOMPARE(model->getWatchListNames(), accepted ? before + QStringList{name} : before);
}

void tst_NameDialogs::rename_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("free name") << QStringLiteral("Fan") << QString() << true;
    QTest::newRow("another list's name")
        << QStringLiteral("List2") << QStringLiteral("Tip|New name has been used!") << false;
    QTest::newRow("unchanged name")
        << QStringLiteral("List1") << QStringLiteral("Tip|New name has been used!") << false;
    QTest::newRow("differs in case") << QStringLiteral("list1") << QString() << true;
    QTest::newRow("40 letters") << QString(40, QLatin1Char('x')) << QString() << true;
    QTest::newRow("empty") << QString() << QString() << false;
}

void tst_NameDialogs::rename()
{
    QFETCH(QString, name);
    QFETCH(QString, warning);
    QFETCH(bool, accepted);

    RenameWatchListDlg dialog(QStringLiteral("List1"), model.get());
    dialog.show();
    dialog.findChild<QLineEdit *>()->setText(name);
    QCOMPARE(pressOk(&dialog), warning);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog.getName(), name);
    // The dialog only checks; the caller renames.
    QCOMPARE(model->getWatchListNames(), names("List1,List2"));
}

QTEST_MAIN(tst_NameDialogs)
#include "tst_namedialogs.moc"
