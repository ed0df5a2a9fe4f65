#pragma once

#include <QObject>

#include <string>

class QTimer;
struct Symbol;

namespace ac {
class DeviceMemory;
}

// A simulated controller. While running, a timer changes the device memory of
// every open project's controller core: Y outputs walk, M0 to M7 count in
// binary, D0 to D3 count up, D4 ramps from 0 to 99, and the values at the
// project's symbol addresses move (REAL values drift, integers count, BOOL
// values toggle).
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
    void simulate(const std::string &projectName);
    void simulateSymbol(ac::DeviceMemory *memory, const Symbol &symbol, int index);

    QTimer *m_timer;
    quint32 m_cycle = 0;
};
