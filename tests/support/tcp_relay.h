#pragma once
// A Modbus TCP relay on a loopback port, served from the test's own event loop while the
// transfer runs on its worker thread: function-3 requests answered from `registers` (or a fixed
// pattern), or as a script says (late, in pieces, not at all, with an exception).
#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tirv::test {

struct TcpAction {
    std::vector<QByteArray> segments;  // sent one after another, `gapMs` apart; none: silence
    int gapMs = 0;
};

class TcpRelay {
public:
    using Script = std::function<TcpAction(const QByteArray& request, int index)>;

    TcpRelay()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                ++connections;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { onReadable(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s] {
                    ++disconnections;
                    s->deleteLater();
                });
            }
        });
    }

    int port() const { return m_server.serverPort(); }
    void setScript(Script script) { m_script = std::move(script); }

    static int Start(const QByteArray& r) { return (quint8(r[8]) << 8) | quint8(r[9]); }
    static int Count(const QByteArray& r) { return (quint8(r[10]) << 8) | quint8(r[11]); }
    static std::uint16_t RegisterValue(int k) { return static_cast<std::uint16_t>(0x1200 + k); }

    static QByteArray NormalReply(const QByteArray& request)
    {
        const int count = Count(request);
        QByteArray reply = request.left(4);
        const int length = 3 + 2 * count;
        reply.append(static_cast<char>(length >> 8));
        reply.append(static_cast<char>(length & 0xFF));
        reply.append(request.mid(6, 2));
        reply.append(static_cast<char>(2 * count));
        for (int k = 0; k < count; ++k) {
            const std::uint16_t v = RegisterValue(Start(request) + k);
            reply.append(static_cast<char>(v >> 8));
            reply.append(static_cast<char>(v & 0xFF));
        }
        return reply;
    }
    static QByteArray ExceptionReply(const QByteArray& request, quint8 code)
    {
        QByteArray reply = request.left(4);
        reply.append(char(0));
        reply.append(char(3));
        reply.append(request[6]);
        reply.append(static_cast<char>(quint8(request[7]) | 0x80));
        reply.append(static_cast<char>(code));
        return reply;
    }

    // Start and count of every request so far, in order.
    std::vector<std::pair<int, int>> reads() const
    {
        std::vector<std::pair<int, int>> out;
        for (const QByteArray& r : requests)
            out.emplace_back(Start(r), Count(r));
        return out;
    }

    // When filled, an unscripted reply carries these registers (0 beyond them); otherwise the
    // pattern of RegisterValue.
    std::vector<std::uint16_t> registers;
    std::vector<QByteArray> requests;
    int connections = 0;
    int disconnections = 0;

private:
    void onReadable(QTcpSocket* s)
    {
        m_pending += s->readAll();
        while (m_pending.size() >= 12) {
            const QByteArray request = m_pending.left(12);
            m_pending.remove(0, 12);
            requests.push_back(request);
            const TcpAction action =
                m_script ? m_script(request, static_cast<int>(requests.size()) - 1)
                         : TcpAction{{registers.empty() ? NormalReply(request)
                                                        : RegistersReply(request)}};
            int delay = 0;
            for (const QByteArray& segment : action.segments) {
                QTimer::singleShot(delay, s, [s, segment] {
                    s->write(segment);
                    s->flush();
                });
                delay += action.gapMs;
            }
        }
    }

    QByteArray RegistersReply(const QByteArray& request) const
    {
        QByteArray reply = NormalReply(request);
        for (int k = 0; k < Count(request); ++k) {
            const auto at = static_cast<std::size_t>(Start(request) + k);
            const std::uint16_t v = at < registers.size() ? registers[at] : 0;
            reply[9 + 2 * k] = static_cast<char>(v >> 8);
            reply[10 + 2 * k] = static_cast<char>(v & 0xFF);
        }
        return reply;
    }

    QTcpServer m_server;
    QByteArray m_pending;
    Script m_script;
};

}  // namespace tirv::test
