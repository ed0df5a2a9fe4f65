#include "trendwindow.h"

#include "controllertransfer.h"
#include "livewatch.h"
#include "plainmessagebox.h"
#include "simulatedcontroller.h"
#include "valueformat.h"
#include "vartreeitem.h"
#include "vartreewidget.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

const QRgb seriesColours[TrendWindow::maximumSeries] = {
    0x1f77b4,
    0xd62728,
    0x2ca02c,
    0xff7f0e,
    0x9467bd,
    0x17becf,
    0x8c564b,
    0xe377c2,
};

// The selected rows in row order, each as (top-level row, bit or -1). The
// selection's ranges give the order without a search per item, and without
// an index per cell of a long selection.
std::vector<std::pair<int, int>> selectedRows(const VarTreeWidget &tree)
{
    std::vector<std::pair<int, int>> rows;
    for (const QItemSelectionRange &range : tree.selectionModel()->selection()) {
        const QModelIndex parent = range.parent();
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(parent.isValid() ? std::make_pair(parent.row(), row)
                                            : std::make_pair(row, -1));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// What the window says about the rows it was given.
QString rowsMessage(int trendable, const QStringList &texts, const QStringList &unreadable)
{
    QStringList message;
    if (trendable == 0 && texts.isEmpty() && unreadable.isEmpty())
        message << TrendWindow::tr("Select rows of a watch-list window to trend their values.");
    if (trendable > TrendWindow::maximumSeries)
        message << TrendWindow::tr("Trending the first %1 of %2 rows that hold numbers.")
                       .arg(TrendWindow::maximumSeries)
                       .arg(trendable);
    if (!texts.isEmpty())
        message << TrendWindow::tr("Text values are not trended: %1.")
                       .arg(texts.join(QStringLiteral(", ")));
    if (!unreadable.isEmpty())
        message << TrendWindow::tr("No value to trend for: %1.")
                       .arg(unreadable.join(QStringLiteral(", ")));
    return message.join(QLatin1Char(' '));
}

} // namespace

TrendWindow::TrendWindow(ControllerTransfer *transfer, QWidget *parent)
    : QWidget(parent)
    , m_transfer(transfer)
    , m_chart(new QChart)
    , m_view(new QChartView(m_chart, this))
    , m_timeAxis(new QDateTimeAxis)
    , m_valueAxis(new QValueAxis)
    , m_spanBox(new QComboBox(this))
    , m_pauseButton(new QToolButton(this))
    , m_message(new QLabel(this))
{
    m_clock.start();
    m_epoch = QDateTime::currentMSecsSinceEpoch();
    m_viewEnd = m_epoch;

    m_spanBox->setObjectName(QStringLiteral("span"));
    m_spanBox->addItem(tr("10 s"), 10);
    m_spanBox->addItem(tr("60 s"), 60);
    m_spanBox->addItem(tr("10 min"), 600);
    m_spanBox->setCurrentIndex(1);
    connect(m_spanBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int i) {
        setSpanSeconds(m_spanBox->itemData(i).toInt());
    });
    m_pauseButton->setObjectName(QStringLiteral("pause"));
    m_pauseButton->setText(tr("Pause"));
    m_pauseButton->setCheckable(true);
    connect(m_pauseButton, &QToolButton::toggled, this, &TrendWindow::setPaused);
    auto png = new QToolButton(this);
    png->setText(tr("Export PNG..."));
    connect(png, &QToolButton::clicked, this, [this] { exportAs(true); });
    auto csv = new QToolButton(this);
    csv->setText(tr("Export CSV..."));
    connect(csv, &QToolButton::clicked, this, [this] { exportAs(false); });
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setTextFormat(Qt::PlainText);

    auto bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("Span:"), this));
    bar->addWidget(m_spanBox);
    bar->addWidget(m_pauseButton);
    bar->addWidget(png);
    bar->addWidget(csv);
    bar->addWidget(m_message, 1);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);

    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_timeAxis->setFormat(QStringLiteral("hh:mm:ss"));
    m_timeAxis->setTickCount(5);
    m_valueAxis->setLabelFormat(QStringLiteral("%.4g"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    m_view->setRenderHint(QPainter::Antialiasing);

    m_viewTimer.setSingleShot(true);
    m_viewTimer.setInterval(100);
    connect(&m_viewTimer, &QTimer::timeout, this, &TrendWindow::updateView);
    if (transfer) {
        connect(transfer, &ControllerTransfer::refreshed, this, [this] {
            sampleAt(m_epoch + m_clock.elapsed());
        });
        connect(transfer, &Transfer::onlineState, this, &TrendWindow::onOnlineState);
    }
    updateView();
}

TrendWindow::~TrendWindow()
{
    forget();
}

QString TrendWindow::setRows(VarTreeWidget *tree)
{
    clearSeries();
    QStringList texts;
    QStringList unreadable;
    int trendable = 0;
    if (tree) {
        m_project = tree->projectName().toStdString();
        for (const auto &[row, bit] : selectedRows(*tree)) {
            QTreeWidgetItem *top = tree->topLevelItem(row);
            VarTreeItem *item = VarTreeItem::from(bit < 0 || !top ? top : top->child(bit));
            if (!item || item->variable().isEmpty())
                continue;
            const uint32_t type = item->valueType();
            if (type == ac::TYPE_STRING || type == ac::TYPE_WSTRING) {
                texts.append(item->variable());
                continue;
            }
            if (type == ac::TYPE_NONE) {
                unreadable.append(item->variable());
                continue;
            }
            if (++trendable > maximumSeries)
                continue;
            Series series;
            series.name = item->variable();
            series.address = item->address();
            series.type = type;
            series.steps = type == ac::TYPE_BOOL || type == ac::TYPE_BIT;
            series.color = QColor(seriesColours[m_series.size()]);
            m_series.push_back(std::move(series));
        }
    }

    showMessage(rowsMessage(trendable, texts, unreadable));

    const int capacity = TrendBuffer::capacityFor(refreshInterval());
    for (Series &series : m_series)
        series.buffer.setCapacity(capacity);
    m_lastSample = m_epoch + m_clock.elapsed();
    m_viewEnd = m_lastSample;
    watch();
    updateView();
    return m_message->text();
}

QString TrendWindow::message() const
{
    return m_message->text();
}

void TrendWindow::showMessage(const QString &message)
{
    m_message->setText(message);
    m_message->setToolTip(message);
}

void TrendWindow::clearSeries()
{
    forget();
    for (Series &series : m_series) {
        for (QLineSeries *part : series.parts) {
            m_chart->removeSeries(part);
            delete part;
        }
    }
    m_series.clear();
}

int TrendWindow::refreshInterval() const
{
    if (!m_transfer)
        return 0;
    if (m_transfer->settings().backend == ControllerSettings::Simulated)
        return m_transfer->simulation()->interval();
    return m_transfer->settings().pollInterval;
}

void TrendWindow::watch()
{
    if (!m_running || m_series.empty() || !m_transfer || !m_transfer->isOnline()) {
        forget();
        return;
    }
    std::vector<ac::HeapAddress> addresses;
    for (const Series &series : m_series)
        addresses.push_back(series.address);
    // A device link reads only what is watched, whatever the watch-list
    // window shows meanwhile.
    ac::LiveWatch::instance()->setWatched(this, m_project, std::move(addresses));
}

void TrendWindow::forget()
{
    ac::LiveWatch::instance()->forget(this);
}

void TrendWindow::appendGaps()
{
    m_lastSample = std::max(m_epoch + m_clock.elapsed(), m_lastSample + 1);
    for (Series &series : m_series)
        series.buffer.appendGap(m_lastSample);
}

void TrendWindow::onOnlineState(bool online)
{
    if (online) {
        // The refresh interval may have changed with the controller.
        const int capacity = TrendBuffer::capacityFor(refreshInterval());
        for (Series &series : m_series)
            series.buffer.setCapacity(capacity);
        watch();
        return;
    }
    forget();
    appendGaps();
    if (!m_paused)
        updateView();
}

void TrendWindow::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    if (!running)
        appendGaps();
    watch();
}

void TrendWindow::sampleAt(qint64 time)
{
    if (!m_running || m_series.empty() || !m_transfer || !m_transfer->isOnline())
        return;
    // Strictly later than the last: a time is one line of the exported table,
    // and a paused view ends at a time no later sample shares.
    m_lastSample = std::max(time, m_lastSample + 1);
    const std::string &project = m_project;
    const SafeAccore core(project, false);
    const ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    const ac::LiveWatch *live = ac::LiveWatch::instance();
    for (Series &series : m_series) {
        double value = 0;
        // A value the device has not confirmed lately is a gap, as offline.
        if (memory && live->reading(project, series.address).status == ac::Reading::Current &&
            memory->read(series.address, &m_bytes) &&
            ValueFormat::toNumber(series.type, m_bytes, &value) && std::isfinite(value)) {
            series.buffer.append(m_lastSample, value);
        } else {
            series.buffer.appendGap(m_lastSample);
        }
    }
    if (!m_paused && !m_viewTimer.isActive())
        m_viewTimer.start();
}

void TrendWindow::setPaused(bool paused)
{
    // What is frozen is everything sampled up to the press, drawn or not yet.
    if (paused && !m_paused)
        updateView();
    m_paused = paused;
    if (m_pauseButton->isChecked() != paused)
        m_pauseButton->setChecked(paused);
    if (!paused)
        updateView();
}

void TrendWindow::setSpanSeconds(int seconds)
{
    m_span = qint64(qBound(1, seconds, 600)) * 1000;
    const int index = m_spanBox->findData(seconds);
    if (index >= 0 && index != m_spanBox->currentIndex())
        m_spanBox->setCurrentIndex(index);
    // A paused view keeps its end and shows more or less of what led to it.
    if (!m_paused)
        m_viewEnd = m_lastSample;
    updateView();
}

// A line with gaps is drawn as one series a part; one legend entry per row.
void TrendWindow::setPartCount(Series &series, size_t count)
{
    while (series.parts.size() > count) {
        QLineSeries *part = series.parts.back();
        series.parts.pop_back();
        m_chart->removeSeries(part);
        delete part;
    }
    while (series.parts.size() < count) {
        auto part = new QLineSeries;
        part->setName(series.name);
        part->setColor(series.color);
        m_chart->addSeries(part);
        part->attachAxis(m_timeAxis);
        part->attachAxis(m_valueAxis);
        // One legend entry per row, not per part of its line.
        if (series.parts.size() > 0) {
            for (QLegendMarker *marker : m_chart->legend()->markers(part))
                marker->setVisible(false);
        }
        series.parts.push_back(part);
    }
}

void TrendWindow::updateView()
{
    m_viewTimer.stop();
    if (!m_paused)
        m_viewEnd = m_lastSample;
    const qint64 start = viewStart();
    double low = qInf();
    double high = -qInf();
    for (Series &series : m_series) {
        const TrendBuffer &buffer = series.buffer;
        std::vector<QVector<QPointF>> lines(1);
        // The sample before the span, for a line that enters from the left edge.
        for (int i = std::max(0, buffer.lowerBound(start) - 1); i < buffer.size(); ++i) {
            const TrendBuffer::Sample &sample = buffer.at(i);
            if (sample.time > m_viewEnd)
                break;
            QVector<QPointF> &line = lines.back();
            if (TrendBuffer::isGap(sample)) {
                if (!line.isEmpty())
                    lines.emplace_back();
                continue;
            }
            if (series.steps && !line.isEmpty() && line.last().y() != sample.value)
                line.append(QPointF(sample.time, line.last().y()));
            line.append(QPointF(sample.time, sample.value));
            if (sample.time >= start) {
                low = std::min(low, sample.value);
                high = std::max(high, sample.value);
            }
        }
        if (lines.size() > 1 && lines.back().isEmpty())
            lines.pop_back();

        setPartCount(series, lines.size());
        for (size_t i = 0; i < lines.size(); ++i)
            series.parts[i]->replace(lines[i]);
    }

    if (low > high) {
        low = 0;
        high = 1;
    }
    const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::fabs(high) * 0.05);
    m_valueAxis->setRange(low - margin, high + margin);
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(start),
                         QDateTime::fromMSecsSinceEpoch(m_viewEnd));
}
