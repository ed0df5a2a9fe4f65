// Sampling and drawing the trend.

#include "harness.h"

#include "controllertransfer.h"
#include "simulatedcontroller.h"
#include "trendwindow.h"
#include "vartreewidget.h"
#include "workbench.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

// A trend of 8 rows sampled every 200 ms for 10 simulated minutes, driven
// directly, against appending the same points to bare QLineSeries.
void benchTrend(Workbench &workbench)
{
    constexpr int rows = TrendWindow::maximumSeries;
    constexpr int samples = 3000;
    constexpr qint64 interval = 200;
    std::printf("\nTrend of %d rows, a sample every %lld ms for %d samples (10 minutes)\n",
                rows,
                interval,
                samples);
    VarTreeWidget tree;
    tree.setProperty("projectName", projectName);
    tree.setRowCount(rows);
    for (int row = 0; row < rows; ++row)
        tree.setVariable(row, QStringLiteral("D%1").arg(row), QStringLiteral("D%1").arg(row));
    tree.resetTree();
    tree.selectAll();
    ControllerTransfer *transfer = workbench.transfer();
    transfer->simulation()->setInterval(int(interval));
    transfer->setOnline(true);
    transfer->simulation()->stop();

    const qint64 heapBefore = heapInUse();
    auto trend = std::make_unique<TrendWindow>(transfer);
    trend->resize(windowWidth, windowHeight);
    trend->setRows(&tree);
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 3600 * 1000;
    qint64 time = start;
    const auto sampleRun = [&] {
        for (int i = 0; i < samples; ++i, time += interval)
            trend->sampleAt(time);
        return 0;
    };
    // Ten minutes fill the rings: the heap is the window's with full rings, and
    // every timed run overwrites full rings, as a trend left open does.
    sampleRun();
    const qint64 trendHeap = heapInUse() - heapBefore;
    const double ringBytes =
        double(trend->buffer(0).capacity() * sizeof(TrendBuffer::Sample)) / trend->buffer(0).size();

    // What the ring does alone, for the storage's part of a sample.
    std::vector<TrendBuffer> rings(rows, TrendBuffer(TrendBuffer::capacityFor(int(interval))));
    const auto ringRun = [&] {
        for (int i = 0; i < samples; ++i) {
            for (TrendBuffer &ring : rings)
                ring.append(start + i * interval, i);
        }
        return 0;
    };

    std::vector<std::unique_ptr<QtCharts::QLineSeries>> bare;
    for (int row = 0; row < rows; ++row)
        bare.push_back(std::make_unique<QtCharts::QLineSeries>());
    const auto appendAll = [&] {
        for (int i = 0; i < samples; ++i) {
            for (auto &series : bare)
                series->append(double(start + i * interval), i);
        }
        return 0;
    };
    const auto clearAll = [&] {
        for (auto &series : bare)
            series->clear();
    };

    // ns per sample, each the median of runs of ten minutes; the ring alone,
    // for information, right after the trend.
    constexpr int runs = 5;
    std::vector<double> ringNs;
    const Paired paired = pairedRuns(
        runs,
        [&] {
            const double ns = measure(9, {}, sampleRun).ms * 1e6 / samples;
            ringNs.push_back(measure(9, {}, ringRun).ms * 1e6 / samples);
            return ns;
        },
        [&] { return measure(9, clearAll, appendAll).ms * 1e6 / samples; });
    const double trendNs = median(paired.work);
    const double bareNs = median(paired.floor);

    for (auto &series : bare)
        series = std::make_unique<QtCharts::QLineSeries>();
    const qint64 bareBefore = heapInUse();
    appendAll();
    const double bareBytes = double(heapInUse() - bareBefore) / (rows * samples);

    std::printf("per sample of %d rows: trend %.0f ns (read, decode, store), ring alone %.0f ns, "
                "bare QLineSeries append %.0f ns (medians of %d repetitions)\n",
                rows,
                trendNs,
                median(ringNs),
                bareNs,
                runs);
    reportRatio("trend / bare QLineSeries append", paired.ratios, 2.0);
    std::printf("ring / bare %.2fx\n", median(ringNs) / bareNs);
    std::printf("bytes per point: ring %.1f, bare QLineSeries %.1f; trend window heap with its "
                "full rings %.0f KiB\n",
                ringBytes,
                bareBytes,
                double(trendHeap) / 1024);
    // The bytes are the same every run: one is enough.
    reportRatio("bytes per point, ring / bare QLineSeries", {ringBytes / bareBytes}, 2.0);

    // The naive trend: the same points appended to series of a shown chart,
    // each append redrawing its line.
    QtCharts::QChartView charted;
    charted.resize(windowWidth, windowHeight);
    for (auto &series : bare) {
        series->clear();
        charted.chart()->addSeries(series.get());
    }
    charted.chart()->createDefaultAxes();
    charted.show();
    QElapsedTimer timer;
    timer.start();
    appendAll();
    const double chartedNs = double(timer.nsecsElapsed()) / samples;
    for (auto &series : bare)
        charted.chart()->removeSeries(series.get());

    trend->show();
    std::printf("appending to the series of a shown chart instead: %.3f ms a sample\n",
                chartedNs / 1e6);
    for (const int span : {60, 600}) {
        trend->setSpanSeconds(span);
        const Result view = measure(9, {}, [&] {
            trend->updateView();
            return 0;
        });
        int points = 0;
        for (QtCharts::QAbstractSeries *series : trend->chart()->series())
            points += static_cast<QtCharts::QLineSeries *>(series)->count();
        std::printf("redrawing a %d s span (%d points): %.2f ms a refresh; sample and redraw / "
                    "shown chart's appends %.2fx\n",
                    span,
                    points,
                    view.ms,
                    (trendNs / 1e6 + view.ms) / (chartedNs / 1e6));
    }
    transfer->setOnline(false);
}

} // namespace bench
