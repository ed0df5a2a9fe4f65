#include "showmodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const QString key = QStringLiteral("showModes");
constexpr int defaultMode = 10;

bool isMode(int mode)
{
    return mode == 2 || mode == 10 || mode == 16;
}

} // namespace

ShowModes ShowModes::fromPropertys(const QString &propertys)
{
    ShowModes modes;
    if (!propertys.contains(key))
        return modes;
    const QJsonDocument document = QJsonDocument::fromJson(propertys.toUtf8());
    const QJsonArray runs = document.object().value(key).toArray();
    for (const QJsonValue &value : runs) {
        const QJsonArray run = value.toArray();
        const double first = run.at(0).toDouble(-1);
        const double count = run.at(1).toDouble(-1);
        const int mode = run.at(2).toInt();
        // A hand-edited file may hold anything; what cannot be a run is skipped.
        if (run.size() != 3 || first < 0 || count < 1 || first + count > 2147483647.0 ||
            first != int(first) || count != int(count) || !isMode(mode))
            continue;
        modes.set(int(first), int(count), mode);
    }
    return modes;
}

bool ShowModes::writeInto(QString *propertys) const
{
    QJsonObject object;
    if (!propertys->isEmpty()) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(propertys->toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            return false;
        object = document.object();
    }
    if (m_runs.isEmpty() && !object.contains(key))
        return true;
    if (m_runs.isEmpty()) {
        object.remove(key);
    } else {
        QJsonArray runs;
        for (const Run &run : m_runs)
            runs.append(QJsonArray{run.first, run.count, run.mode});
        object.insert(key, runs);
    }
    *propertys = object.isEmpty()
                     ? QString()
                     : QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    return true;
}

int ShowModes::modeAt(int index) const
{
    const auto after = std::upper_bound(
        m_runs.cbegin(), m_runs.cend(), index, [](int i, const Run &run) { return i < run.first; });
    if (after == m_runs.cbegin())
        return defaultMode;
    const Run &run = *(after - 1);
    return index < run.end() ? run.mode : defaultMode;
}

void ShowModes::set(int first, int count, int mode)
{
    if (count <= 0 || first < 0 || !isMode(mode))
        return;
    const int end = first + count;
    QVector<Run> runs;
    runs.reserve(m_runs.size() + 2);
    bool placed = false;
    const auto place = [&] {
        if (!placed && mode != defaultMode)
            runs.append({first, count, mode});
        placed = true;
    };
    for (const Run &run : qAsConst(m_runs)) {
        if (run.end() <= first) {
            runs.append(run);
            continue;
        }
        if (run.first < first)
            runs.append({run.first, first - run.first, run.mode});
        if (run.first >= end) {
            place();
            runs.append(run);
            continue;
        }
        place();
        if (run.end() > end)
            runs.append({end, run.end() - end, run.mode});
    }
    place();
    m_runs.swap(runs);
    normalize();
}

void ShowModes::insertAt(const QVector<int> &positions)
{
    if (m_runs.isEmpty() || positions.isEmpty())
        return;
    // Each insertion as the entry it comes before, counted in the old list.
    QVector<int> before;
    before.reserve(positions.size());
    for (int k = 0; k < positions.size(); ++k)
        before.append(positions.at(k) - k);
    QVector<Run> runs;
    runs.reserve(m_runs.size());
    int next = 0;
    for (const Run &run : qAsConst(m_runs)) {
        while (next < before.size() && before.at(next) <= run.first)
            ++next;
        int start = run.first;
        while (next < before.size() && before.at(next) < run.end()) {
            runs.append({start + next, before.at(next) - start, run.mode});
            start = before.at(next);
            ++next;
        }
        runs.append({start + next, run.end() - start, run.mode});
    }
    m_runs.swap(runs);
    normalize();
}

void ShowModes::removeAt(const QVector<int> &positions)
{
    if (m_runs.isEmpty() || positions.isEmpty())
        return;
    QVector<Run> runs;
    runs.reserve(m_runs.size());
    int next = 0;
    for (const Run &run : qAsConst(m_runs)) {
        while (next < positions.size() && positions.at(next) < run.first)
            ++next;
        const int shift = next;
        while (next < positions.size() && positions.at(next) < run.end())
            ++next;
        runs.append({run.first - shift, run.count - (next - shift), run.mode});
    }
    m_runs.swap(runs);
    normalize();
}

bool ShowModes::operator==(const ShowModes &other) const
{
    return m_runs == other.m_runs;
}

void ShowModes::normalize()
{
    QVector<Run> runs;
    runs.reserve(m_runs.size());
    for (const Run &run : qAsConst(m_runs)) {
        if (run.count <= 0 || run.mode == defaultMode)
            continue;
        if (!runs.isEmpty() && runs.last().end() == run.first && runs.last().mode == run.mode)
            runs.last().count += run.count;
        else
            runs.append(run);
    }
    m_runs.swap(runs);
}
