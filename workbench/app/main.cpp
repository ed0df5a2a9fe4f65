#include "controllertransfer.h"
#include "filesaving.h"
#include "hostnames.h"
#include "plainmessagebox.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "trendtool.h"
#include "trendwindow.h"
#include "vartreewidget.h"
#include "workbench.h"
#include "workbenchmenus.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArrayList>
#include <QCommandLineParser>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QImageWriter>
#include <QLocale>
#include <QMainWindow>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

QString defaultPluginPath()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../plugins/libwatchlist.so"));
}

// The image in the format its file name asks for (PNG without a suffix); on
// failure empty, with the reason.
QByteArray encodeImage(const QImage &image, const QString &path, QString *reason)
{
    const QString suffix = QFileInfo(path).suffix();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, suffix.isEmpty() ? QByteArray("png") : suffix.toLatin1());
    if (!writer.write(image)) {
        *reason = writer.errorString();
        return QByteArray();
    }
    return bytes;
}

// Renders the main window once everything has settled, for machines without a display.
void saveScreenshot(QMainWindow *window, const QString &path, int delay = 500)
{
    QTimer::singleShot(delay, window, [window, path] {
        const QString file = QFileInfo(path).absoluteFilePath();
        QString reason;
        const QByteArray image = encodeImage(window->grab().toImage(), file, &reason);
        if (!image.isEmpty() && FileSaving::write(file, image, &reason)) {
            std::printf("%s\n", qPrintable(QDir::toNativeSeparators(file)));
            QCoreApplication::exit(0);
        } else {
            std::fprintf(stderr,
                         "Cannot write the screenshot %s: %s\n",
                         qPrintable(QDir::toNativeSeparators(file)),
                         qPrintable(reason));
            QCoreApplication::exit(1);
        }
    });
}

// The command line's options, each once, for the parser and for reading it.
struct Options
{
    // Not "plugin": Qt's own command line takes -plugin and --plugin for its
    // input plug-ins before this parser sees them.
    QCommandLineOption plugin{QStringLiteral("plugin-file"),
                              QStringLiteral("The plug-in to load."),
                              QStringLiteral("file"),
                              defaultPluginPath()};
    QCommandLineOption screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window to this PNG file and quit."),
        QStringLiteral("file")};
    QCommandLineOption language{
        QStringLiteral("language"),
        QStringLiteral("Language of the user interface, e.g. zh_CN or en_US (default: the "
                       "system's)."),
        QStringLiteral("language"),
        QLocale::system().name()};
    QCommandLineOption activate{
        QStringLiteral("activate"),
        QStringLiteral("Activate this solution-tree node once the projects are open, as a "
                       "double click does (e.g. \"Demo.Watch List.Motor\")."),
        QStringLiteral("path")};
    QCommandLineOption online{QStringLiteral("online"),
                              QStringLiteral("Go online with the controller.")};
    QCommandLineOption connect{
        QStringLiteral("connect"),
        QStringLiteral(
            "Go online with this controller for the current project: "
            "modbus-tcp://HOST:PORT?unit=N (also &interval=MS&timeout=MS) or simulated."),
        QStringLiteral("url")};
    QCommandLineOption trend{
        QStringLiteral("trend"),
        QStringLiteral("Trend the first two rows of the activated watch list (with --screenshot, "
                       "after a few seconds of samples).")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Stand-in PLC programming environment hosting the watch-list plug-in."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(QStringLiteral("projects"),
                                     QStringLiteral("Project files (*.wlproj) to open."),
                                     QStringLiteral("[projects...]"));
        for (const QCommandLineOption *option :
             {&plugin, &screenshot, &language, &activate, &online, &connect, &trend})
            parser.addOption(*option);
    }
};

// Loads the plug-in and opens the projects; false when the run is over (a
// headless run whose plug-in does not load).
bool loadAndOpen(Workbench &workbench, const QCommandLineParser &parser, const Options &options)
{
    QString error;
    const bool headless = parser.isSet(options.screenshot);
    QMainWindow *window = workbench.mainWindow();
    if (!workbench.loadPlugin(parser.value(options.plugin), &error)) {
        if (headless) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        showPlainMessage(window, QMessageBox::Critical, QObject::tr("Load Plug-in"), error);
    }
    for (const QString &project : parser.positionalArguments()) {
        if (!workbench.openProject(project, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            if (!headless)
                showPlainMessage(window, QMessageBox::Warning, QObject::tr("Open Project"), error);
        }
    }
    return true;
}

// The trend of the activated list's first two rows; the delay before a
// screenshot, which a few seconds of samples need.
int showTrend(WorkbenchMenus &menus)
{
    if (VarTreeWidget *tree = menus.trend()->activeWatchList()) {
        tree->clearSelection();
        for (int row = 0; row < std::min(2, tree->topLevelItemCount()); ++row)
            tree->topLevelItem(row)->setSelected(true);
    }
    menus.trend()->showTrend();
    // A few seconds of samples fill the shortest span.
    if (TrendWindow *trend = menus.trend()->window())
        trend->setSpanSeconds(10);
    return 5000;
}

void scheduleScreenshot(Workbench &workbench,
                        const ControllerSettings &controller,
                        const QString &path,
                        int delay)
{
    QMainWindow *window = workbench.mainWindow();
    ControllerTransfer *transfer = workbench.transfer();
    if (controller.backend == ControllerSettings::Simulated) {
        saveScreenshot(window, path, delay);
        return;
    }
    // A device answers when it answers: the picture waits for its first values.
    auto first = std::make_shared<QMetaObject::Connection>();
    *first = QObject::connect(transfer, &ControllerTransfer::refreshed, window, [=] {
        QObject::disconnect(*first);
        saveScreenshot(window, path, delay);
    });
    QObject::connect(
        transfer, &ControllerTransfer::connectionFailed, window, [](const QString &message) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            QCoreApplication::exit(1);
        });
}

// Asked only for a text to print: answered without a display, which a
// QApplication cannot start without.
bool asksOnlyForText(int argc, char *argv[])
{
    const QByteArrayList textOptions{"-h", "-?", "--help", "--help-all", "-v", "--version"};
    for (int i = 1; i < argc; ++i) {
        if (textOptions.contains(QByteArray(argv[i])))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("watchlist-workbench"));
        QCoreApplication::setApplicationVersion(QStringLiteral(WORKBENCH_VERSION));
        QCommandLineParser parser;
        Options().addTo(parser);
        parser.process(app); // prints and exits
        return 0;
    }

    // Before anything writes a file, Qt's settings included: a file-size limit
    // must fail a save, not end the workbench with unsaved projects open.
    FileSaving::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("WatchList"));
    QApplication::setApplicationName(QStringLiteral("watchlist-workbench"));
    QApplication::setApplicationDisplayName(QStringLiteral("Watch List Workbench"));
    QApplication::setApplicationVersion(QStringLiteral(WORKBENCH_VERSION));

    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    parser.process(app);

    ControllerSettings controller;
    QString error;
    if (parser.isSet(options.connect) &&
        !ControllerSettings::fromUrl(parser.value(options.connect), &controller, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }

    Workbench::setLanguage(parser.value(options.language));
    QSettings settings;
    Workbench workbench;
    WorkbenchMenus menus(&workbench, &settings);
    menus.applySettings();
    menus.setInteractive(!parser.isSet(options.screenshot));
    if (!loadAndOpen(workbench, parser, options))
        return 1;

    QMainWindow *window = workbench.mainWindow();
    window->show();
    // Watch lists open down there: give them room to show more than a few rows.
    if (QDockWidget *output = workbench.toolWindows()->dockWidget(HostNames::compileOutputWindow()))
        window->resizeDocks({output}, {window->height() / 2}, Qt::Vertical);
    ControllerTransfer *transfer = workbench.transfer();
    if (parser.isSet(options.connect))
        transfer->setSettings(controller, workbench.currentProject());
    if (parser.isSet(options.online) || parser.isSet(options.connect))
        transfer->setOnline(true);
    for (const QString &path : parser.values(options.activate))
        workbench.solutionTree()->activate(path);
    const int screenshotDelay = parser.isSet(options.trend) ? showTrend(menus) : 500;
    if (parser.isSet(options.screenshot))
        scheduleScreenshot(
            workbench, controller, parser.value(options.screenshot), screenshotDelay);

    const int result = QApplication::exec();
    workbench.unloadPlugins();
    return result;
}
