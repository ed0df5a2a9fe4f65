#pragma once

#include "accore.h"

#include <QObject>
#include <QVector>

#include <map>
#include <string>
#include <vector>

class QTimer;
struct Symbol;

namespace ac {
class DeviceMemory;
}

// A simulated controller. While running, a timer changes the device memory of
// every open project's controller core: Y outputs walk, M0 to M7 count in
// binary, D0 to D3 count up, D4 ramps from 0 to 99, and the values at the
// project's symbol addresses that someone watches (ac::LiveWatch) move (REAL
// values drift, integers count, BOOL values toggle). Unwatched symbols keep
// their values: a cycle costs what is on screen, not what the project holds.
class SimulatedController : public QObject
{
    Q_OBJECT
public:
    explicit SimulatedController(QObject *parent = nullptr);
    ~SimulatedController() override;

    void start();
    void stop();
    bool isRunning() const;
    int interval() const;
    void setInterval(int milliseconds);
    // One cycle of the simulated controller, as the timer runs it.
    void step();

signals:
    // A cycle has changed the device memory.
    void memoryChanged();

private:
    // A symbol whose address resolves, kept sorted by address.
    struct Slot
    {
        ac::HeapAddress address;
        QString type; // upper case
        int index = 0;
    };
    // A project's resolved symbols, for as long as its symbols and device stay.
    struct ProjectSymbols
    {
        QVector<Symbol> source;
        const ac::DeviceMemory *memory = nullptr;
        std::vector<Slot> resolved;
    };

    void simulate(const std::string &projectName);
    const std::vector<Slot> &resolvedSymbols(const std::string &projectName,
                                             const ac::DeviceMemory &memory);
    void simulateSymbol(ac::DeviceMemory *memory, const Slot &slot);

    QTimer *m_timer;
    quint32 m_cycle = 0;
    std::map<std::string, ProjectSymbols> m_symbols;
};
