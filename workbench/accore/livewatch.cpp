#include "livewatch.h"

#include <algorithm>
#include <tuple>

namespace ac {

namespace {

auto key(const HeapAddress &address)
{
    return std::tie(address.area, address.byteOffset, address.bitOffset, address.byteLength);
}

} // namespace

LiveSource::~LiveSource() = default;

LiveWatch *LiveWatch::instance()
{
    static LiveWatch watch;
    return &watch;
}

void LiveWatch::setWatched(const void *watcher,
                           const std::string &project,
                           std::vector<HeapAddress> addresses)
{
    if (addresses.empty()) {
        forget(watcher);
        return;
    }
    Watch &watch = m_watches[watcher];
    watch.project = project;
    watch.addresses = std::move(addresses);
}

void LiveWatch::forget(const void *watcher)
{
    m_watches.erase(watcher);
}

std::vector<HeapAddress> LiveWatch::watched(const std::string &project) const
{
    std::vector<HeapAddress> all;
    for (const auto &entry : m_watches) {
        if (entry.second.project == project)
            all.insert(all.end(), entry.second.addresses.begin(), entry.second.addresses.end());
    }
    const auto less = [](const HeapAddress &a, const HeapAddress &b) {
        return key(a) < key(b);
    };
    const auto same = [](const HeapAddress &a, const HeapAddress &b) {
        return key(a) == key(b);
    };
    std::sort(all.begin(), all.end(), less);
    all.erase(std::unique(all.begin(), all.end(), same), all.end());
    return all;
}

void LiveWatch::setSource(LiveSource *source)
{
    m_source = source;
}

LiveSource *LiveWatch::source() const
{
    return m_source;
}

Reading LiveWatch::reading(const std::string &project, const HeapAddress &address) const
{
    return m_source ? m_source->reading(project, address) : Reading();
}

bool LiveWatch::write(const std::string &project,
                      const HeapAddress &address,
                      const std::vector<uint8_t> &bytes,
                      std::function<void(const QString &error)> done)
{
    SafeAccore core(project, false);
    DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    if (!memory || address.area >= memory->areaCount())
        return false;
    if (m_source) {
        m_source->write(project, address, bytes, std::move(done));
        return true;
    }
    if (!memory->write(address, bytes))
        return false;
    if (done)
        done(QString());
    return true;
}

} // namespace ac
