#include "modbuschannel.h"

#include <QSignalBlocker>
#include <QtEndian>

namespace {

// Requests or answers in a row that went wrong before the connection is
// taken for broken and dropped: one may be a hiccup, three are a pattern.
constexpr int faultsToDrop = 3;

bool isRead(quint8 function)
{
    return function >= 1 && function <= 4;
}

quint16 word(const QByteArray &data, int at)
{
    return data.size() >= at + 2
               ? qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(data.constData() + at))
               : 0;
}

QString exceptionName(int code)
{
    switch (code) {
    case 1:
        return ModbusChannel::tr("illegal function");
    case 2:
        return ModbusChannel::tr("illegal data address");
    case 3:
        return ModbusChannel::tr("illegal data value");
    case 4:
        return ModbusChannel::tr("server device failure");
    case 6:
        return ModbusChannel::tr("server device busy");
    case 10:
        return ModbusChannel::tr("gateway path unavailable");
    case 11:
        return ModbusChannel::tr("gateway target failed to respond");
    default:
        return ModbusChannel::tr("code %1").arg(code);
    }
}

} // namespace

ModbusChannel::ModbusChannel(QObject *parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ModbusChannel::expire);
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_deadline.stop();
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_open = true;
        emit opened();
        sendNext();
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, &ModbusChannel::readFrames);
    connect(
        &m_socket, &QAbstractSocket::errorOccurred, this, [this] { drop(m_socket.errorString()); });
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
        drop(tr("the device closed the connection"));
    });
}

ModbusChannel::~ModbusChannel()
{
    // The socket outlives the members its signals would touch.
    m_socket.disconnect(this);
    m_socket.abort();
}

void ModbusChannel::setUnitId(int unitId)
{
    m_unitId = quint8(unitId);
}

void ModbusChannel::setTimeout(int ms)
{
    m_timeout = ms;
}

void ModbusChannel::open(const QString &host, quint16 port, int connectTimeout)
{
    if (m_open || m_socket.state() != QAbstractSocket::UnconnectedState)
        return;
    m_buffer.clear();
    m_faults = 0;
    m_deadline.start(connectTimeout);
    m_socket.connectToHost(host, port);
}

void ModbusChannel::close()
{
    abortAll(tr("the connection was closed"));
}

void ModbusChannel::send(quint8 function, const QByteArray &data, Done done)
{
    if (!m_open) {
        ModbusAnswer lost;
        lost.error = tr("there is no connection");
        done(lost);
        return;
    }
    m_queue.push_back(Request{function, data, std::move(done)});
    sendNext();
}

void ModbusChannel::sendNext()
{
    if (m_busy || !m_open || m_queue.empty())
        return;
    const Request &request = m_queue.front();
    ++m_transaction;
    QByteArray frame(7, Qt::Uninitialized);
    auto *header = reinterpret_cast<uchar *>(frame.data());
    qToBigEndian<quint16>(m_transaction, header);
    qToBigEndian<quint16>(0, header + 2);
    qToBigEndian<quint16>(quint16(2 + request.data.size()), header + 4);
    header[6] = m_unitId;
    frame += char(request.function);
    frame += request.data;
    m_busy = true;
    m_strayTransaction = -1;
    m_deadline.start(m_timeout);
    m_socket.write(frame);
}

void ModbusChannel::readFrames()
{
    m_buffer += m_socket.readAll();
    while (m_open && m_buffer.size() >= 7) {
        const quint16 transaction = word(m_buffer, 0);
        const quint16 protocol = word(m_buffer, 2);
        const int length = word(m_buffer, 4);
        // The length counts the unit and a PDU of 1 to 253 bytes; anything
        // else means the frames can no longer be told apart.
        if (protocol != 0 || length < 2 || length > 254) {
            drop(tr("the device sent a frame header that cannot be right (protocol %1, length "
                    "%2), so the answers after it could not be told apart")
                     .arg(protocol)
                     .arg(length));
            return;
        }
        if (m_buffer.size() < 6 + length)
            return; // the rest is on its way, or the deadline says it is not
        const quint8 unit = quint8(m_buffer.at(6));
        const QByteArray pdu = m_buffer.mid(7, length - 1);
        m_buffer.remove(0, 6 + length);
        // A late answer to a request that timed out, or a duplicate: not this
        // request's, whatever it holds.
        if (!m_busy || transaction != m_transaction) {
            if (m_busy)
                m_strayTransaction = transaction;
            continue;
        }
        answer(unit, pdu);
    }
}

void ModbusChannel::answer(quint8 unit, const QByteArray &pdu)
{
    const Request &request = m_queue.front();
    const quint8 function = quint8(pdu.at(0));
    const QByteArray data = pdu.mid(1);
    ModbusAnswer answer;
    if (unit == m_unitId && function == (request.function | 0x80) && data.size() == 1) {
        answer.outcome = ModbusAnswer::Exception;
        answer.code = quint8(data.at(0));
        answer.error =
            tr("Modbus exception %1 (%2)").arg(answer.code).arg(exceptionName(answer.code));
    } else if (const QString why = mismatch(request, unit, function, data); !why.isEmpty()) {
        answer.outcome = ModbusAnswer::Mismatch;
        answer.error = why;
    } else {
        answer.outcome = ModbusAnswer::Answered;
        answer.data = data;
    }
    finish(std::move(answer));
}

QString ModbusChannel::mismatch(const Request &request,
                                quint8 unit,
                                quint8 function,
                                const QByteArray &data) const
{
    if (unit != m_unitId)
        return tr("the device answered as unit %1 where unit %2 was asked").arg(unit).arg(m_unitId);
    if (function != request.function) {
        return isRead(request.function)
                   ? tr("the device answered function %1 to a read of function %2")
                         .arg(function)
                         .arg(request.function)
                   : tr("the device answered function %1 to a write of function %2")
                         .arg(function)
                         .arg(request.function);
    }
    if (isRead(function)) {
        const int count = word(request.data, 2);
        const int asked = function <= 2 ? (count + 7) / 8 : count * 2;
        const int announced = data.isEmpty() ? -1 : quint8(data.at(0));
        if (announced + 1 != data.size())
            return tr("the device's answer is malformed: it announces %1 bytes and carries %2")
                .arg(announced)
                .arg(data.size() - 1);
        if (announced != asked)
            return tr("the device answered %1 bytes where %2 were asked for")
                .arg(announced)
                .arg(asked);
        return QString();
    }
    // A write's answer echoes its address and its value (one bit or register)
    // or its count (several).
    if (data.size() != 4)
        return tr("the device's answer to a write is malformed: %1 bytes where 4 belong")
            .arg(data.size());
    if (word(data, 0) != word(request.data, 0))
        return tr("the device confirmed a write to address %1 where %2 was written")
            .arg(word(data, 0))
            .arg(word(request.data, 0));
    if (data != request.data.left(4))
        return tr("the device confirmed other data than was written to address %1")
            .arg(word(data, 0));
    return QString();
}

void ModbusChannel::finish(ModbusAnswer answer)
{
    m_deadline.stop();
    m_busy = false;
    Request request = std::move(m_queue.front());
    m_queue.pop_front();
    const bool fault =
        answer.outcome == ModbusAnswer::Mismatch || answer.outcome == ModbusAnswer::Timeout;
    m_faults = fault ? m_faults + 1 : 0;
    request.done(answer);
    if (!m_open)
        return; // the answer closed the channel
    if (m_faults >= faultsToDrop) {
        drop(tr("%1 requests in a row went unanswered or were answered wrongly").arg(m_faults));
        return;
    }
    sendNext();
}

void ModbusChannel::expire()
{
    if (!m_open) {
        drop(tr("no answer within %1 ms").arg(m_deadline.interval()));
        return;
    }
    if (!m_busy)
        return;
    if (!m_buffer.isEmpty()) {
        drop(tr("an answer stopped part way, so the answers after it could not be told apart"));
        return;
    }
    ModbusAnswer answer;
    if (m_strayTransaction >= 0) {
        answer.outcome = ModbusAnswer::Mismatch;
        answer.error = tr("the device answered transaction %1 where %2 was asked")
                           .arg(m_strayTransaction)
                           .arg(m_transaction);
    } else {
        answer.outcome = ModbusAnswer::Timeout;
        answer.error = tr("no answer within %1 ms").arg(m_timeout);
    }
    finish(std::move(answer));
}

void ModbusChannel::drop(const QString &why)
{
    const bool wasActive =
        m_open || m_socket.state() != QAbstractSocket::UnconnectedState || m_deadline.isActive();
    if (!wasActive && m_queue.empty())
        return;
    abortAll(why);
    emit closed(why);
}

void ModbusChannel::abortAll(const QString &why)
{
    m_open = false;
    m_busy = false;
    m_deadline.stop();
    m_buffer.clear();
    {
        // abort() would report the end once more.
        const QSignalBlocker quiet(&m_socket);
        m_socket.abort();
    }
    std::deque<Request> waiting;
    waiting.swap(m_queue);
    ModbusAnswer lost;
    lost.error = why;
    for (Request &request : waiting)
        request.done(lost);
}
