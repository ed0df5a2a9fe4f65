#include "watchlistwidget.h"

#include "accore.h"
#include "entrycommand.h"
#include "watchlistobject.h"
#include "watchlistwidget_p.h"

#include <QMessageBox>
#include <QPointer>

// The batch monitor: a range of device addresses added as rows.

using namespace WatchListWindow;

namespace {

struct TypeSuffix
{
    int dataType;
    const char *suffix;
    quint32 bytes;
};

const TypeSuffix typeSuffixes[] = {
    {ac::TYPE_INT, ".S", 2},
    {ac::TYPE_DINT, ".D", 4},
    {ac::TYPE_LINT, ".L", 8},
    {ac::TYPE_UINT, ".U", 2},
    {ac::TYPE_UDINT, ".UD", 4},
    {ac::TYPE_ULINT, ".UL", 8},
    {ac::TYPE_REAL, ".F", 4},
    {ac::TYPE_LREAL, ".DF", 8},
    {ac::TYPE_STRING, ".T", 81},
    {ac::TYPE_WSTRING, ".WT", 162},
};

// The suffix that reads a value of that type at a word, and the value's width.
TypeSuffix typeSuffixOf(int dataType)
{
    for (const TypeSuffix &entry : typeSuffixes) {
        if (entry.dataType == dataType)
            return entry;
    }
    return {dataType, "", 1};
}

// The rows a batch adds: its addresses read plain, word by word as bits, or
// as wider values every few words.
struct BatchRange
{
    BatchRange(const ac::JapanMemLayout &area, const BatchMonitorParam &param)
        : unit(BatchMonotorDlg::elementBytes(area.elementSize))
        , begin(param.beginAddress)
        , end(begin + param.length)
        , radix(int(area.radix))
        , plain(area.elementSize == 0 || param.dataType == param.scDataType)
        , bits(unit * 8)
        , type(typeSuffixOf(param.dataType))
        , step((type.bytes + unit - 1) / unit)
    {
        const quint64 addressCount =
            area.elementSize == 0 ? quint64(area.byteSize) * 8 : quint64(area.byteSize / unit);
        // Counted before a single name is made: a mistyped range must be
        // refused, not built.
        if (end > addressCount)
            rows = 0; // the dialog refuses such ranges; another caller may not
        else if (plain)
            rows = param.length;
        else if (area.elementSize != 2)
            rows = 0; // only words are read as bits or as wider values
        else if (param.dataType == ac::TYPE_BOOL)
            rows = quint64(param.length) * bits;
        else
            rows = param.length / step;
    }

    // The entries appended after the list's countBefore, shown in the batch's mode.
    EntryCommand::Change names(const BatchMonitorParam &param, int countBefore) const
    {
        EntryCommand::Change change;
        change.entries.reserve(int(rows));
        const auto append = [&change, countBefore](const QString &name) {
            change.entries.append({countBefore + change.entries.size(), name});
        };
        if (plain) {
            for (quint64 address = begin; address < end; ++address)
                append(param.scType + QString::number(address, radix));
        } else if (param.dataType == ac::TYPE_BOOL) {
            for (quint64 address = begin; address < end; ++address) {
                const QString word =
                    param.scType + QString::number(address, radix) + QLatin1Char('.');
                for (quint32 bit = 0; bit < bits; ++bit)
                    append(word + QString::number(bit));
            }
        } else {
            const QString suffix = QLatin1String(type.suffix);
            for (quint64 address = begin; address + step <= end; address += step)
                append(param.scType + QString::number(address, radix) + suffix);
        }
        change.modeFirst = countBefore;
        change.modeCount = change.entries.size();
        change.mode = param.showMode;
        return change;
    }

    const quint32 unit;
    // 64 bits: a range at the top of a 2^32-bit area must not wrap to its start.
    const quint64 begin;
    const quint64 end;
    const int radix;
    const bool plain;
    const quint32 bits;
    const TypeSuffix type;
    const quint64 step;
    quint64 rows = 0;
};

} // namespace

void WatchListWidget::onBatchMonitor()
{
    // The dialog asks about the areas of this window's project, whichever
    // project is current in the solution tree.
    BatchMonotorDlg dialog(projectName);
    const QPointer<WatchListWidget> self(this);
    const int result = dialog.exec();
    // The project, and this window with it, may have closed meanwhile.
    if (self && result == QDialog::Accepted)
        addBatchVariables(dialog.param);
}

bool WatchListWidget::acceptBatchSize(qint64 rows, int countBefore)
{
    if (rows > qint64(WatchListObject::MaxCount) - countBefore) {
        tell(QMessageBox::Information,
             tr("Tip"),
             tr("A watch list holds at most %L1 entries: the %L2 rows of this range do not "
                "fit into %3, which holds %L4. Nothing was added.")
                 .arg(WatchListObject::MaxCount)
                 .arg(rows)
                 .arg(watchListName)
                 .arg(countBefore),
             QMessageBox::Ok,
             QMessageBox::Ok);
        return false;
    }
    if (rows <= largeBatch)
        return true;
    return tell(QMessageBox::Question,
                tr("Tip"),
                tr("Add %L1 rows to %2?").arg(rows).arg(watchListName),
                QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

void WatchListWidget::addBatchVariables(const BatchMonitorParam &param)
{
    ac::JapanMemLayout area;
    {
        const SafeAccore core(projectName.toStdString(), false);
        if (!core)
            return;
        area = core->deviceMemory()->japanMemLayout(param.scType.toStdString());
    }
    const BatchRange range(area, param);
    int countBefore = 0;
    {
        const Lookup list = findWatchListObject();
        if (!list)
            return;
        countBefore = list->getCount();
    }
    const QPointer<WatchListWidget> self(this);
    if (range.rows > 0 && (!acceptBatchSize(qint64(range.rows), countBefore) || !self))
        return;

    const Lookup list = findWatchListObject();
    if (list && range.rows > 0 && list->getCount() == countBefore) {
        EntryCommand::Change change = range.names(param, countBefore);
        EntryCommand::perform(projectName,
                              list.list,
                              change,
                              change.entries.size() == 1
                                  ? EntryCommand::tr("Add a row to %1").arg(watchListName)
                                  : EntryCommand::tr("Add %L1 rows to %2")
                                        .arg(change.entries.size())
                                        .arg(watchListName));
    }
    fillVisibleRows();
}
