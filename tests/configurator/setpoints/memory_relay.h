#pragma once
// An in-memory relay behind the Port interface, answering Modbus RTU requests from its own
// register array a moment after each request (through the event loop, like a real line). Used
// to drive the setpoint sequences through the real paced exchange, link check and chunked
// transfer with faults placed at an exact request: a lost block, a late start, an empty memory.
#include "configurator/link/byte_views.h"
#include "common/crc16.h"
#include "configurator/link/port.h"
#include "configurator/link/text_frames.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

namespace tirv::test {

class MemoryRelay : public Port {
public:
    static constexpr int kIdentityStart = 130;

    MemoryRelay(int modelCode, std::uint8_t address = 1) : m_address(address)
    {
        registers.assign(200, 0);
        registers[kIdentityStart] = modelCode >= 715 ? 0xAABB : 0xAAAA;
        registers[kIdentityStart + 1] = static_cast<std::uint16_t>(modelCode);
        registers[kIdentityStart + 2] = 120;
        registers[kIdentityStart + 3] = 1;
        registers[kIdentityStart + 4] = 4242;
    }

    // Requests for which this says true get no answer (index counts every request, link checks
    // included).
    std::function<bool(const QByteArray& request, int index)> lose;
    // What function 0x20 stores from register 0.
    std::vector<std::uint16_t> minimalSet;
    std::vector<std::uint16_t> registers;
    std::vector<QByteArray> requests;
    std::vector<qint64> requestTimesMs;  // when each request arrived

    // The ТИРВ protocol side: its own values (no Modbus bias), and the framing it expects.
    TextFraming framing;
    std::vector<std::uint16_t> textValues = std::vector<std::uint16_t>(200, 0);

    void loadBlock(const std::vector<std::uint16_t>& block)
    {
        std::copy(block.begin(), block.end(), registers.begin());
    }

    // Port
    bool open(int number) override
    {
        m_number = number;
        return true;
    }
    void close() override { m_number = 0; }
    bool isOpen() const override { return m_number != 0; }
    int number() const override { return m_number; }
    bool configure(const LineSettings&) override { return true; }
    bool isPseudoTerminal() const override { return false; }
    bool write(std::span<const std::uint8_t> bytes) override
    {
        const QByteArray request(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size()));
        const int index = static_cast<int>(requests.size());
        requests.push_back(request);
        requestTimesMs.push_back(m_clock.elapsed());
        if (lose && lose(request, index))
            return true;
        const QByteArray reply = request.startsWith(':') ? answerText(request) : answer(request);
        if (!reply.isEmpty())
            QTimer::singleShot(1, this, [this, reply] {
                m_out += reply;
                emit readyRead();
            });
        return true;
    }
    QByteArray read(int max) override
    {
        const QByteArray chunk = m_out.left(max);
        m_out.remove(0, chunk.size());
        return chunk;
    }
    qint64 bytesAvailable() const override { return m_out.size(); }
    void purge() override { m_out.clear(); }
    bool waitForReadyRead(int) override { return false; }
    bool waitForBytesWritten(int) override { return true; }
    QString describe() const override { return QStringLiteral("memory relay"); }
    PortError lastError() const override { return PortError::None; }

    // Requests of one function (3, 16, 0x20) outside the link check's identity read.
    std::vector<QByteArray> requestsOf(std::uint8_t function) const
    {
        std::vector<QByteArray> out;
        for (const auto& r : requests)
            if (r.size() >= 2 && quint8(r[1]) == function &&
                !(function == 3 && Word(r, 2) == kIdentityStart))
                out.push_back(r);
        return out;
    }
    static int Word(const QByteArray& r, int at) { return (quint8(r[at]) << 8) | quint8(r[at + 1]); }

private:
    static QByteArray WithCrc(QByteArray frame) { return tirv::WithCrc(std::move(frame)); }

    QByteArray answer(const QByteArray& r)
    {
        if (r.size() < 5 || quint8(r[0]) != m_address)
            return {};
        const auto function = quint8(r[1]);
        QByteArray reply = r.left(2);
        if (function == 0x20) {
            std::copy(minimalSet.begin(), minimalSet.end(), registers.begin());
            return {};
        }
        const int start = Word(r, 2);
        const int count = Word(r, 4);
        if (start + count > static_cast<int>(registers.size()))
            return {};
        if (function == 3) {
            reply.append(static_cast<char>(2 * count));
            for (int k = 0; k < count; ++k) {
                const std::uint16_t v = registers[static_cast<std::size_t>(start + k)];
                reply.append(static_cast<char>(v >> 8));
                reply.append(static_cast<char>(v & 0xFF));
            }
            return WithCrc(reply);
        }
        if (function == 16) {
            for (int k = 0; k < count; ++k)
                registers[static_cast<std::size_t>(start + k)] =
                    static_cast<std::uint16_t>(Word(r, 7 + 2 * k));
            reply += r.mid(2, 4);
            return WithCrc(reply);
        }
        return {};
    }

    // Fields of a text request: each one's digits and the position just past its separator.
    struct Field {
        QByteArray digits;
        int end;
    };
    static std::vector<Field> Fields(const QByteArray& r, int stop)
    {
        std::vector<Field> out;
        int begin = 1;
        for (int i = 1; i < stop; ++i)
            if (r[i] == ';' || r[i] == ',') {
                out.push_back({r.mid(begin, i - begin), i + 1});
                begin = i + 1;
            }
        return out;
    }
    static int Decode(const QByteArray& digits)
    {
        return DecodeTextNumber({reinterpret_cast<const std::uint8_t*>(digits.constData()),
                                 static_cast<std::size_t>(digits.size())});
    }
    static QByteArray Number(std::uint16_t v)
    {
        std::array<std::uint8_t, 4> d{};
        const std::size_t n = AppendTextNumber(d, 0, v);
        return QByteArray(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(n));
    }
    static QByteArray Closed(QByteArray frame)
    {
        const std::uint16_t crc =
            Crc16({reinterpret_cast<const std::uint8_t*>(frame.constData()) + 1,
                   static_cast<std::size_t>(frame.size() - 1)});
        return frame + Number(crc) + '#';
    }

    QByteArray answerText(const QByteArray& r)
    {
        const int end = r.indexOf('#');
        if (end < 0)
            return {};
        const std::vector<Field> f = Fields(r, end);
        if (f.size() < 3 || Decode(f[0].digits) != m_address)
            return {};
        const bool v1 = framing.variant == TextVariant::New;
        if (f[1].digits == "<")  // the link check: any answer will do
            return Closed(r.left(f.back().end));
        if (f[1].digits == "?") {
            // Variant 0 names no start: the relay walks its values group by group.
            const int start = v1 ? Decode(f[2].digits) : m_textCursor;
            const int count = f.size() > 3 ? Decode(f[3].digits) : framing.valuesPerFrame;
            m_textCursor = start + count;
            QByteArray reply = r.left(f.back().end);
            for (int k = 0; k < count; ++k) {
                reply += Number(textValues[static_cast<std::size_t>(start + k)]);
                reply += k + 1 < count ? ',' : ';';
            }
            return Closed(reply);
        }
        if (f[1].digits == "L") {
            const std::size_t headerFields = v1 ? 4 : 3;
            const int start = Decode(f[2].digits);
            std::size_t first = headerFields;
            int count = framing.valuesPerFrame;
            if (v1)
                count = Decode(f[3].digits);
            else if (f.size() - 3 != static_cast<std::size_t>(framing.valuesPerFrame)) {
                count = Decode(f[3].digits);
                first = 4;
            }
            for (int k = 0; k < count && first + static_cast<std::size_t>(k) < f.size(); ++k)
                textValues[static_cast<std::size_t>(start + k)] =
                    static_cast<std::uint16_t>(Decode(f[first + static_cast<std::size_t>(k)].digits));
            return Closed(r.left(f[headerFields - 1].end) + ';');
        }
        return {};
    }

    std::uint8_t m_address;
    QElapsedTimer m_clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    int m_textCursor = 0;
    int m_number = 0;
    QByteArray m_out;
};

}  // namespace tirv::test
