#include "trendbuffer.h"

#include <algorithm>
#include <cmath>
#include <limits>

int TrendBuffer::capacityFor(int refreshMilliseconds)
{
    if (refreshMilliseconds <= 0)
        return maximumCapacity;
    const qint64 samples = (keptMilliseconds + refreshMilliseconds - 1) / refreshMilliseconds;
    return int(qBound(qint64(minimumCapacity), samples, qint64(maximumCapacity)));
}

TrendBuffer::TrendBuffer(int capacity)
    : m_samples(size_t(qBound(1, capacity, maximumCapacity)))
{}

void TrendBuffer::setCapacity(int capacity)
{
    capacity = qBound(1, capacity, maximumCapacity);
    if (capacity == this->capacity())
        return;
    const int kept = std::min(m_size, capacity);
    std::vector<Sample> samples(static_cast<size_t>(capacity));
    for (int i = 0; i < kept; ++i)
        samples[size_t(i)] = at(m_size - kept + i);
    m_samples.swap(samples);
    m_first = 0;
    m_size = kept;
}

void TrendBuffer::append(qint64 time, double value)
{
    const int capacity = this->capacity();
    if (m_size < capacity) {
        m_samples[size_t((m_first + m_size) % capacity)] = {time, value};
        ++m_size;
        return;
    }
    m_samples[size_t(m_first)] = {time, value};
    m_first = (m_first + 1) % capacity;
}

void TrendBuffer::appendGap(qint64 time)
{
    if (m_size > 0 && !isGap(at(m_size - 1)))
        append(time, std::numeric_limits<double>::quiet_NaN());
}

bool TrendBuffer::isGap(const Sample &sample)
{
    return std::isnan(sample.value);
}

const TrendBuffer::Sample &TrendBuffer::at(int i) const
{
    return m_samples[size_t((m_first + i) % capacity())];
}

int TrendBuffer::lowerBound(qint64 time) const
{
    int low = 0;
    int high = m_size;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (at(middle).time < time)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
