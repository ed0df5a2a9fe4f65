#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <functional>

// What became of one request.
struct ModbusAnswer
{
    enum Outcome {
        Answered,  // data is the answer's, checked against the request
        Exception, // the device refused; code is its exception code
        Mismatch,  // an answer came that does not fit the request
        Timeout,   // none came in time
        Lost,      // the connection ended first
    };
    Outcome outcome = Lost;
    QByteArray data; // the answer's PDU after its function code
    int code = 0;
    QString error; // why there is no answer, for all but Answered
};

// One Modbus TCP connection that takes no frame on trust. Qt's client takes
// any well-formed frame as the answer, whatever its transaction, unit,
// function or size, stops a request's timer once a frame's header has come
// and waits for ever when the rest never does; a watch window must not show
// such answers as the device's values. So requests go one at a time, each
// with a deadline of its own, and each answer is checked against its request
// before anyone sees it. With one request open, a frame with another
// transaction id can never be taken for its answer, and a frame whose length
// cannot be right means the stream is out of step: the connection is dropped.
// Everything runs on the GUI thread without blocking it.
class ModbusChannel : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ModbusAnswer &answer)>;

    explicit ModbusChannel(QObject *parent = nullptr);
    ~ModbusChannel() override;

    void setUnitId(int unitId);
    void setTimeout(int ms);
    int timeout() const { return m_timeout; }

    // Emits opened() or closed(); a connection not made within connectTimeout
    // counts as refused.
    void open(const QString &host, quint16 port, int connectTimeout);
    // Ends the connection. Requests still waiting are dropped unanswered.
    void close();
    bool isOpen() const { return m_open; }

    // Queues a request (function code and data); done runs once with its
    // outcome, at once when the channel is not open.
    void send(quint8 function, const QByteArray &data, Done done);

signals:
    void opened();
    // The connection was refused or ended by itself; every request still
    // waiting has had its done with a Lost outcome by now.
    void closed(const QString &why);

private:
    struct Request
    {
        quint8 function;
        QByteArray data;
        Done done;
    };

    void sendNext();
    void readFrames();
    void answer(quint8 unit, const QByteArray &pdu);
    void finish(ModbusAnswer answer);
    void expire();
    void drop(const QString &why);
    // Ends the connection at once; every request waiting is answered Lost with why.
    void abortAll(const QString &why);
    // Why the answer does not fit the request; empty when it does.
    QString
    mismatch(const Request &request, quint8 unit, quint8 function, const QByteArray &data) const;

    QTcpSocket m_socket;
    QTimer m_deadline;
    QByteArray m_buffer;
    std::deque<Request> m_queue;
    bool m_busy = false; // the front of the queue is on the wire
    bool m_open = false;
    quint16 m_transaction = 0;
    quint8 m_unitId = 1;
    int m_timeout = 1000;
    int m_faults = 0; // answers in a row that were no answer
    // A frame of another transaction came while the open request waited.
    int m_strayTransaction = -1;
};
