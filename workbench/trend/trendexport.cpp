#include "trendwindow.h"

#include "filesaving.h"
#include "plainmessagebox.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QtCharts/QChartView>

#include <cmath>

// The trend as a CSV table or a PNG picture of the span shown.

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n') ||
        field.contains('\r')) {
        field.replace('"', "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QString reason;
    if (FileSaving::write(path, bytes, &reason))
        return true;
    if (error)
        *error = TrendWindow::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

} // namespace

QString TrendWindow::numberText(const Series &series, double value)
{
    if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value))
        return QString::number(qint64(value));
    return QString::number(value, 'g', series.type == ac::TYPE_REAL ? 7 : 15);
}

bool TrendWindow::exportCsv(const QString &path, QString *error) const
{
    QByteArray text = "Time";
    for (const Series &series : m_series)
        text += ',' + csvField(series.name);
    text += "\r\n";
    const qint64 start = viewStart();
    std::vector<int> next;
    for (const Series &series : m_series)
        next.push_back(series.buffer.lowerBound(start));
    // Every row's samples are taken together, so a time is one line for all.
    for (;;) {
        qint64 time = m_viewEnd + 1;
        for (size_t i = 0; i < m_series.size(); ++i) {
            if (next[i] < m_series[i].buffer.size())
                time = std::min(time, m_series[i].buffer.at(next[i]).time);
        }
        if (time > m_viewEnd)
            break;
        text += QDateTime::fromMSecsSinceEpoch(time).toString(Qt::ISODateWithMs).toUtf8();
        for (size_t i = 0; i < m_series.size(); ++i) {
            text += ',';
            const TrendBuffer &buffer = m_series[i].buffer;
            if (next[i] >= buffer.size() || buffer.at(next[i]).time != time)
                continue;
            const TrendBuffer::Sample &sample = buffer.at(next[i]++);
            if (!TrendBuffer::isGap(sample))
                text += numberText(m_series[i], sample.value).toUtf8();
        }
        text += "\r\n";
    }
    return save(path, text, error);
}

bool TrendWindow::exportPng(const QString &path, QString *error) const
{
    QByteArray image;
    QBuffer buffer(&image);
    buffer.open(QIODevice::WriteOnly);
    if (!m_view->grab().save(&buffer, "PNG")) {
        if (error)
            *error = tr("Cannot write %1: %2")
                         .arg(QDir::toNativeSeparators(path), tr("the image cannot be encoded."));
        return false;
    }
    return save(path, image, error);
}

void TrendWindow::exportAs(bool png)
{
    const QString path = png ? QFileDialog::getSaveFileName(this,
                                                            tr("Export Trend as PNG"),
                                                            QStringLiteral("trend.png"),
                                                            tr("PNG images (*.png)"))
                             : QFileDialog::getSaveFileName(this,
                                                            tr("Export Trend as CSV"),
                                                            QStringLiteral("trend.csv"),
                                                            tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!(png ? exportPng(path, &error) : exportCsv(path, &error)))
        showPlainMessage(this, QMessageBox::Warning, tr("Export Trend"), error);
}
