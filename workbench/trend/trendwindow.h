#pragma once

#include "accore.h"
#include "trendbuffer.h"

#include <QColor>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

namespace QtCharts {
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
} // namespace QtCharts

class ControllerTransfer;
class QComboBox;
class QLabel;
class QToolButton;
class VarTreeWidget;

// Plots the values of watch-list rows against time while online: one series
// per row, sampled at each refresh of the controller into a ring of its own,
// the last span (10 s, 60 s or 10 min) scrolling. Offline stretches and
// values the device did not answer are gaps, each part of a line its own
// QLineSeries of the row's name and colour.
class TrendWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int maximumSeries = 8;

    explicit TrendWindow(ControllerTransfer *transfer, QWidget *parent = nullptr);
    ~TrendWindow() override;

    // Trends the tree's selected rows that hold numbers, the first
    // maximumSeries of them in row order, in place of what was trended.
    // Returns what the window says about the rows it left out.
    QString setRows(VarTreeWidget *tree);
    QString message() const;
    int seriesCount() const { return int(m_series.size()); }
    const TrendBuffer &buffer(int series) const { return m_series[size_t(series)].buffer; }

    // One sample of every row at that time, as each refresh of the
    // controller takes; a time not after the last sample's counts as 1 ms
    // after it.
    void sampleAt(qint64 time);
    // Sampling stops (and the rows are no longer watched) while the window
    // is closed; the time in between is a gap.
    void setRunning(bool running);

    // A paused view stays as it is while sampling goes on.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    void setSpanSeconds(int seconds);
    int spanSeconds() const { return int(m_span / 1000); }
    // Redraws the shown span; refreshes ask for it at most every 100 ms.
    void updateView();
    QtCharts::QChart *chart() const { return m_chart; }

    // The shown span: a row per sample time, a column per row (empty in
    // gaps), RFC 4180, UTF-8.
    bool exportCsv(const QString &path, QString *error) const;
    bool exportPng(const QString &path, QString *error) const;

private:
    struct Series
    {
        QString name;
        ac::HeapAddress address;
        uint32_t type = 0;
        bool steps = false;
        QColor color;
        TrendBuffer buffer;
        // The parts of the line between gaps; the chart owns them.
        std::vector<QtCharts::QLineSeries *> parts;
    };

    void onOnlineState(bool online);
    void watch();
    void forget();
    void appendGaps();
    int refreshInterval() const;
    void clearSeries();
    void setPartCount(Series &series, size_t count);
    void showMessage(const QString &message);
    void exportAs(bool png);
    qint64 viewStart() const { return m_viewEnd - m_span; }
    static QString numberText(const Series &series, double value);

    QPointer<ControllerTransfer> m_transfer;
    std::string m_project;
    std::vector<Series> m_series;
    std::vector<uint8_t> m_bytes;
    QtCharts::QChart *m_chart;
    QtCharts::QChartView *m_view;
    QtCharts::QDateTimeAxis *m_timeAxis;
    QtCharts::QValueAxis *m_valueAxis;
    QComboBox *m_spanBox;
    QToolButton *m_pauseButton;
    QLabel *m_message;
    QTimer m_viewTimer;
    // Sample times come from a monotonic clock: a wall clock set back would
    // put samples out of order.
    QElapsedTimer m_clock;
    qint64 m_epoch = 0;
    qint64 m_lastSample = 0;
    qint64 m_viewEnd = 0;
    qint64 m_span = 60 * 1000;
    bool m_paused = false;
    bool m_running = true;
};
