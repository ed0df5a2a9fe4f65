#pragma once

#include <QtGlobal>

#include <vector>

// The samples of one trended value, oldest first, in a ring of fixed
// capacity: a trend left open all day keeps the last stretch and no more.
// A gap (no value: offline, or the device did not answer) is a sample whose
// value is NaN; a run of gaps is kept as one.
class TrendBuffer
{
public:
    struct Sample
    {
        qint64 time = 0; // milliseconds since the epoch
        double value = 0;
    };

    // Ten minutes of samples at that refresh interval, between minimumCapacity
    // and maximumCapacity (ten minutes at the shortest poll interval a
    // controller link accepts).
    static int capacityFor(int refreshMilliseconds);
    static constexpr qint64 keptMilliseconds = 10 * 60 * 1000;
    static constexpr int minimumCapacity = 64;
    static constexpr int maximumCapacity = 60000;

    explicit TrendBuffer(int capacity = minimumCapacity);

    int capacity() const { return int(m_samples.size()); }
    // Keeps the newest samples that fit.
    void setCapacity(int capacity);
    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    void clear() { m_size = 0; }

    void append(qint64 time, double value);
    void appendGap(qint64 time);
    static bool isGap(const Sample &sample);

    // i = 0 is the oldest sample kept.
    const Sample &at(int i) const;
    // The first sample at or after time.
    int lowerBound(qint64 time) const;

private:
    std::vector<Sample> m_samples;
    int m_first = 0;
    int m_size = 0;
};
