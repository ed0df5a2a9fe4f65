#pragma once

#include "accore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ac {

// What a tree or a trend may show for an address.
struct Reading
{
    enum Status {
        Current, // the device memory holds what the device answered lately
        Stale,   // what the device answered last, but not lately: never to pass for current
        Missing, // nothing the device answered; shown stands in the value's place
    };
    Status status = Current;
    QString shown;
    // When the device last answered for the address, in ms since the epoch; 0 for never.
    qint64 readAt = 0;
};

// Where the values that variable trees show come from. Trees say which
// addresses they read now (the loaded rows on screen); a controller link that
// talks to a real device reads just those into the project's device memory,
// says which of them it could not read, and takes the values users type.
// Without a link everything the device memory holds counts as read.
class LiveSource
{
public:
    virtual ~LiveSource();

    // Whether the device memory at the address holds what the device answered,
    // and how lately.
    virtual Reading reading(const std::string &project, const HeapAddress &address) const = 0;
    // Writes a value (bytes as the device memory holds them). done runs once,
    // perhaps later, with an empty text or the reason the device refused.
    virtual void write(const std::string &project,
                       const HeapAddress &address,
                       const std::vector<uint8_t> &bytes,
                       std::function<void(const QString &error)> done) = 0;
};

class LiveWatch : public QObject
{
    Q_OBJECT
public:
    static LiveWatch *instance();

    // What one watcher reads now, replacing what it read before.
    void
    setWatched(const void *watcher, const std::string &project, std::vector<HeapAddress> addresses);
    void forget(const void *watcher);
    // Every address watched in the project, each once.
    std::vector<HeapAddress> watched(const std::string &project) const;

    // The link that fills device memory; null for none. The link unsets
    // itself before it goes.
    void setSource(LiveSource *source);
    LiveSource *source() const;

    Reading reading(const std::string &project, const HeapAddress &address) const;
    // Without a link the value goes into the device memory at once. False
    // when the project has no controller core or the address is not in it.
    bool write(const std::string &project,
               const HeapAddress &address,
               const std::vector<uint8_t> &bytes,
               std::function<void(const QString &error)> done);

signals:
    // A link has brought new values into the project's device memory.
    void valuesArrived(const QString &project);

private:
    LiveWatch() = default;

    struct Watch
    {
        std::string project;
        std::vector<HeapAddress> addresses;
    };
    std::map<const void *, Watch> m_watches;
    LiveSource *m_source = nullptr;
};

} // namespace ac
