// Watch lists to and from CSV files, imported through the loaded plug-in's service.

// The tables read better with plain literals; nothing here is user text.
#undef QT_NO_CAST_FROM_ASCII
#include "hostfixture.h"

#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "watchlistcsv.h"
#include "watchlistexchange.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <memory>

class tst_Exchange : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host = std::make_unique<HostFixture>();
        QVERIFY(host->loadPlugin());
        QVERIFY(host->openProject(QStringLiteral("P1"), {"Source", "Target:D9"}));
        // Current, with a list of the same name: imports into P1 must not land here.
        QVERIFY(host->openProject(QStringLiteral("P2"), {"Target"}));
        exchange = std::make_unique<WatchListExchange>(&host->workbench());
    }
    void cleanup()
    {
        exchange.reset();
        host.reset();
    }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("plain") << QStringList{"D0", "M1.3"} << QByteArray("Name\r\nD0\r\nM1.3\r\n");
        QTest::newRow("comma, quote, line break")
            << QStringList{"a,b", "say \"hi\"", "two\nlines"}
            << QByteArray("Name\r\n\"a,b\"\r\n\"say \"\"hi\"\"\"\r\n\"two\nlines\"\r\n");
        QTest::newRow("non-ASCII, spaces at the ends, the header's word")
            << QStringList{"Drehzahl_\u00fc", "\u6e29\u5ea6", " D0", "D1 ", "Name"}
            << QString("Name\r\nDrehzahl_\u00fc\r\n\u6e29\u5ea6\r\n\" D0\"\r\n\"D1 \"\r\nName\r\n")
                   .toUtf8();
    }

    void roundTrip()
    {
        QFETCH(QStringList, names);
        QFETCH(QByteArray, file);
        HostFixture::watchList("P1", "Source")->setVariables(names);
        SolutionTree *tree = host->workbench().solutionTree();
        tree->treeWidget()->setCurrentItem(tree->item("P1.Watch List.Source"));
        const WatchListExchange::WatchList source = exchange->selectedWatchList();
        QCOMPARE(QString(source.project + '/' + source.name), QString("P1/Source"));
        host->workbench().setCurrentProject("P2");

        const QString path = dir.filePath("list.csv");
        QString error;
        QVERIFY2(exchange->exportWatchList(source, path, &error), qPrintable(error));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), file);
        QVERIFY2(exchange->importIntoWatchList({"P1", "Target"}, path, &error), qPrintable(error));
        QCOMPARE(HostFixture::watchList("P1", "Target")->variables(), QStringList{"D9"} + names);
        QCOMPARE(HostFixture::watchList("P2", "Target")->getCount(), 0);
    }

    void import_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("spreadsheet: BOM, header, CRLF, columns, blank rows")
            << QByteArray("\xEF\xBB\xBFname,Comment\r\nD0,speed\r\n\r\n,x\r\n\"a,\"\"b\"\"\",x\r\n")
            << QStringList{"D0", "a,\"b\""} << QString();
        QTest::newRow("no header, LF, CRLF quoted, no last line end")
            << QByteArray("D0\n\"x\r\ny\"\nD1") << QStringList{"D0", "x\r\ny", "D1"} << QString();
        QTest::newRow("Latin-1") << QByteArray("D\xfc\r\n") << QStringList() << "not UTF-8";
        QTest::newRow("NUL") << QByteArray("D0\0D1", 5) << QStringList() << "control characters";
        QTest::newRow("unterminated quote")
            << QByteArray("D0\r\n\"D1\r\nD2\r\n") << QStringList() << "line 2 is never closed";
        QTest::newRow("stray quote") << QByteArray("D0\r\nD\"1\r\n") << QStringList() << "Line 2";
        QTest::newRow("text after quote") << QByteArray("\"D0\"x\r\n") << QStringList() << "after";
        QTest::newRow("header only") << QByteArray("Name\r\n\r\n") << QStringList() << "no names";
        QTest::newRow("empty") << QByteArray() << QStringList() << "no names";
        QTest::newRow("over 8 MiB")
            << QByteArray(8 * 1024 * 1024 + 1, 'D') << QStringList() << "larger than 8 MiB";
    }

    void import()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, added);
        QFETCH(QString, refusal);
        const QString path = dir.filePath("import.csv");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(out.write(file), qint64(file.size()));
        out.close();
        const int undoSteps = host->workbench().undoStack("P1")->count();

        QString error;
        QCOMPARE(exchange->importIntoWatchList({"P1", "Target"}, path, &error), refusal.isEmpty());
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QCOMPARE(HostFixture::watchList("P1", "Target")->variables(), QStringList{"D9"} + added);
        // One step for the names added, though the service makes one of each.
        const int steps = host->workbench().undoStack("P1")->count() - undoSteps;
        QCOMPARE(steps, added.isEmpty() ? 0 : 1);
        if (steps == 1) {
            QCOMPARE(host->workbench().undoStack("P1")->undoText(),
                     QString("Import %1 names into \"Target\"").arg(added.size()));
            host->workbench().undoStack("P1")->undo();
            QCOMPARE(HostFixture::watchList("P1", "Target")->variables(), QStringList{"D9"});
        }
    }

    // Into a shown window: afterwards it holds every entry in order, the
    // last imported row current, and Undo takes the import back as one step.
    void importIntoShownWindow()
    {
        host->workbench().solutionTree()->activate("P1.Watch List.Target");
        QWidget *window = host->workbench().toolWindows()->toolWindowWidget("watchlist.Target");
        auto tree = window ? window->findChild<QTreeWidget *>() : nullptr;
        QVERIFY(tree);
        QStringList names;
        for (int i = 0; i < 300; ++i) // pages of rows, and more than one slice's show
            names.append(QString("M%1").arg(i));
        const QString path = dir.filePath("shown.csv");
        QString error;
        QVERIFY(WatchListCsv::writeFile(path, names, &error));
        QUndoStack *undo = host->workbench().undoStack("P1");
        const int steps = undo->count();

        QVERIFY2(exchange->importIntoWatchList({"P1", "Target"}, path, &error), qPrintable(error));
        QCoreApplication::processEvents();
        const QStringList entries = HostFixture::watchList("P1", "Target")->variables();
        QCOMPARE(entries, QStringList{"D9"} + names);
        QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), names.size());
        for (int row = 0; row <= names.size(); ++row)
            QCOMPARE(tree->topLevelItem(row)->text(0), entries.at(row));
        QCOMPARE(undo->count(), steps + 1);
        undo->undo();
        QCOMPARE(HostFixture::watchList("P1", "Target")->variables(), QStringList{"D9"});
    }

private:
    QTemporaryDir dir;
    std::unique_ptr<HostFixture> host;
    std::unique_ptr<WatchListExchange> exchange;
};

QTEST_MAIN(tst_Exchange)
#include "tst_exchange.moc"
