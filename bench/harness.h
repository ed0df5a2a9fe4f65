#pragma once

// What every benchmark case shares: the bench project, timing and its
// verdicts, and the watch-list windows and bare trees they measure.

#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class QTemporaryDir;
class QTreeWidget;
struct Symbol;
class WatchListObject;
class WatchListWidget;
class Workbench;

namespace bench {

extern const QString projectName;
constexpr int windowWidth = 900;
constexpr int windowHeight = 300;

struct Result
{
    double ms = 0;
    int items = 0;
};

// Median of several runs; setup runs before each and is not timed.
Result measure(int runs,
               const std::function<void()> &setup,
               const std::function<int()> &work,
               const std::function<void()> &teardown = {});
double median(std::vector<double> values);
const char *verdict(bool ok);
// Ratios of a case against its floor, one a repetition: prints their median,
// their spread (lowest to highest), the target for the median and whether it
// is met. True when met.
bool reportRatio(const char *what, const std::vector<double> &ratios, double target);

// Both sides of a ratio, one figure each a repetition.
struct Paired
{
    std::vector<double> ratios; // work / floor
    std::vector<double> work;
    std::vector<double> floor;
};
// runs repetitions of the two sides, work first in the even ones and floor
// first in the odd ones, so that neither always runs on what the other left.
Paired
pairedRuns(int runs, const std::function<double()> &work, const std::function<double()> &floor);
// Bytes the heap holds in use now.
qint64 heapInUse();

// Loads the plug-in into the workbench, or says why the case cannot run.
bool loadPlugin(Workbench &workbench, const char *caseTitle);
// INT symbols S0, S1, ... at D0, D1, ... (wrapping at D7999); the last
// ownAddresses of them at R0, R1, ... instead, addresses no other symbol has.
QVector<Symbol> numberedSymbols(int count, int ownAddresses = 0);

WatchListObject *benchList(const QString &name);
// A list of count entries D0, D1, ... (wrapping at D7999) in the bench project.
void makeList(const QString &name, int count);
// The window as the tool-window code opens it: constructed, sized, shown.
int openWindow(std::unique_ptr<WatchListWidget> &widget, const QString &name);
// The naive window: every entry gets its tree item at once.
int openEager(std::unique_ptr<QTreeWidget> &tree, const QString &name);
// A bare tree with that many rows: the floor of opening.
int openFloor(std::unique_ptr<QTreeWidget> &tree, int rows);
// A project file of that many watch lists in dir; its path.
QString writeProject(const QTemporaryDir &dir, const QString &name, int lists);

// The cases, one family a file.
void benchOpening();
void benchPaging();
void benchEditing();
void benchBatchExpansion();
void benchOpeningProject(Workbench &workbench);
void benchDeleting(Workbench &workbench);
void benchScrollPaging(Workbench &workbench);
// One side of the load-all case, run by benchScrollPaging in a child process.
void loadAllInThisProcess(Workbench &workbench, const QString &side);
void benchRefresh(Workbench &workbench);
void benchSimulation(Workbench &workbench);
void benchModbus(Workbench &workbench);
void benchTrend(Workbench &workbench);
void benchCsvImport(Workbench &workbench);
void benchCompare(Workbench &workbench);

} // namespace bench
