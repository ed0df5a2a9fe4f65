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

} // namespace

int main(int argc, char *argv[])
{
    // Before anything writes a file, Qt's settings included: a file-size limit
    // must fail a save, not end the workbench with unsaved projects open.
    FileSaving::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("WatchList"));
    QApplication::setApplicationName(QStringLiteral("watchlist-workbench"));
    QApplication::setApplicationDisplayName(QStringLiteral("Watch List Workbench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stand-in PLC programming environment hosting the watch-list plug-in."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("projects"),
                                 QStringLiteral("Project files (*.wlproj) to open."),
                                 QStringLiteral("[projects...]"));
    // Not "plugin": Qt's own command line takes -plugin and --plugin for its
    // input plug-ins before this parser sees them.
    const QCommandLineOption pluginOption(QStringLiteral("plugin-file"),
                                          QStringLiteral("The plug-in to load."),
                                          QStringLiteral("file"),
                                          defaultPluginPath());
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window to this PNG file and quit."),
        QStringLiteral("file"));
    const QCommandLineOption activateOption(
        QStringLiteral("activate"),
        QStringLiteral("Activate this solution-tree node once the projects are open, as a "
                       "double click does (e.g. \"Demo.Watch List.Motor\")."),
        QStringLiteral("path"));
    const QCommandLineOption onlineOption(QStringLiteral("online"),
                                          QStringLiteral("Go online with the controller."));
    const QCommandLineOption languageOption(
        QStringLiteral("language"),
        QStringLiteral("Language of the user interface, e.g. zh_CN or en_US (default: the "
                       "system's)."),
        QStringLiteral("language"),
        QLocale::system().name());
    parser.addOption(pluginOption);
    parser.addOption(screenshotOption);
    parser.addOption(languageOption);
    parser.addOption(activateOption);
    const QCommandLineOption connectOption(
        QStringLiteral("connect"),
        QStringLiteral(
            "Go online with this controller for the current project: "
            "modbus-tcp://HOST:PORT?unit=N (also &interval=MS&timeout=MS) or simulated."),
        QStringLiteral("url"));
    parser.addOption(onlineOption);
    parser.addOption(connectOption);
    const QCommandLineOption trendOption(
        QStringLiteral("trend"),
        QStringLiteral("Trend the first two rows of the activated watch list (with --screenshot, "
                       "after a few seconds of samples)."));
    parser.addOption(trendOption);
    parser.process(app);

    ControllerSettings controller;
    QString error;
    if (parser.isSet(connectOption) &&
        !ControllerSettings::fromUrl(parser.value(connectOption), &controller, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }

    Workbench::setLanguage(parser.value(languageOption));
    QSettings settings;
    Workbench workbench;
    WorkbenchMenus menus(&workbench, &settings);
    menus.applySettings();
    menus.setInteractive(!parser.isSet(screenshotOption));

    QMainWindow *window = workbench.mainWindow();
    if (!workbench.loadPlugin(parser.value(pluginOption), &error)) {
        if (parser.isSet(screenshotOption)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        showPlainMessage(window, QMessageBox::Critical, QObject::tr("Load Plug-in"), error);
    }

    for (const QString &project : parser.positionalArguments()) {
        if (!workbench.openProject(project, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            if (!parser.isSet(screenshotOption))
                showPlainMessage(window, QMessageBox::Warning, QObject::tr("Open Project"), error);
        }
    }

    window->show();
    // Watch lists open down there: give them room to show more than a few rows.
    if (QDockWidget *output = workbench.toolWindows()->dockWidget(HostNames::compileOutputWindow()))
        window->resizeDocks({output}, {window->height() / 2}, Qt::Vertical);
    ControllerTransfer *transfer = workbench.transfer();
    if (parser.isSet(connectOption))
        transfer->setSettings(controller, workbench.currentProject());
    if (parser.isSet(onlineOption) || parser.isSet(connectOption))
        transfer->setOnline(true);
    for (const QString &path : parser.values(activateOption))
        workbench.solutionTree()->activate(path);
    int screenshotDelay = 500;
    if (parser.isSet(trendOption)) {
        if (VarTreeWidget *tree = menus.trend()->activeWatchList()) {
            tree->clearSelection();
            for (int row = 0; row < std::min(2, tree->topLevelItemCount()); ++row)
                tree->topLevelItem(row)->setSelected(true);
        }
        menus.trend()->showTrend();
        // A few seconds of samples fill the shortest span.
        if (TrendWindow *trend = menus.trend()->window())
            trend->setSpanSeconds(10);
        screenshotDelay = 5000;
    }
    if (parser.isSet(screenshotOption)) {
        const QString path = parser.value(screenshotOption);
        if (controller.backend == ControllerSettings::Simulated) {
            saveScreenshot(window, path, screenshotDelay);
        } else {
            // A device answers when it answers: the picture waits for its first values.
            auto first = std::make_shared<QMetaObject::Connection>();
            *first = QObject::connect(transfer, &ControllerTransfer::refreshed, window, [=] {
                QObject::disconnect(*first);
                saveScreenshot(window, path, screenshotDelay);
            });
            QObject::connect(transfer,
                             &ControllerTransfer::connectionFailed,
                             window,
                             [](const QString &message) {
                                 std::fprintf(stderr, "%s\n", qPrintable(message));
                                 QCoreApplication::exit(1);
                             });
        }
    }

    const int result = QApplication::exec();
    workbench.unloadPlugins();
    return result;
}
