// The scripted serial relay seen from the configurator's side of each line end: the same
// requests give the same bytes in memory and over a pseudo-terminal, refusals are exception
// replies, and a byte stream is cut into requests wherever the line splits it.
#include "support/serial_relay.h"
#include "support/core_app.h"

#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/text_frames.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <memory>

namespace tirv::test {
namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

// One line end as the configurator sees it: bytes go out, bytes come back.
class Line {
public:
    virtual ~Line() = default;
    virtual SerialRelay& relay() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    virtual QByteArray take() = 0;

    // Whatever comes back within the patience, once `expected` bytes are in (or, when none are
    // expected, after a moment in which an answer would have come).
    QByteArray exchange(const QByteArray& request, qsizetype expected)
    {
        write(request);
        QByteArray got;
        if (expected == 0) {
            QTest::qWait(150);
            return take();
        }
        (void)QTest::qWaitFor([&] { return (got += take()).size() >= expected; }, 3000);
        return got;
    }
};

class MemoryLine : public Line {
public:
    MemoryLine() { m_relay.open(1); }
    SerialRelay& relay() override { return m_relay; }
    void write(const QByteArray& bytes) override { m_relay.write(Bytes(bytes)); }
    QByteArray take() override { return m_relay.read(4096); }

private:
    PortRelay m_relay;
};

class PtyLine : public Line {
public:
    PtyLine()
    {
        const QString entry = m_relay.portsFolder() + QStringLiteral("/COM1");
        m_fd = ::open(entry.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    }
    ~PtyLine() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_relay.ok() && m_fd >= 0; }
    SerialRelay& relay() override { return m_relay; }
    void write(const QByteArray& bytes) override
    {
        ASSERT_EQ(::write(m_fd, bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  bytes.size());
    }
    QByteArray take() override
    {
        char buffer[512];
        const auto n = ::read(m_fd, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, static_cast<qsizetype>(n)) : QByteArray();
    }

private:
    PtyRelay m_relay;
    int m_fd = -1;
};

class SerialRelayTest : public CoreAppFirst, public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam()) {
            auto pty = std::make_unique<PtyLine>();
            ASSERT_TRUE(pty->ok());
            line = std::move(pty);
        } else {
            line = std::make_unique<MemoryLine>();
        }
    }
    std::unique_ptr<Line> line;
};

template <typename Build>
QByteArray Request(Build build)
{
    std::array<std::uint8_t, kFrameBufferSize> buffer{};
    return Frame(buffer, build(std::span<std::uint8_t>(buffer)));
}

// A counting relay at address 1; the cases run in order on one relay, so a write shows in the
// read after it.
TEST_P(SerialRelayTest, ModbusAnswersAndRefusals)
{
    const std::vector<std::uint16_t> written{0x1234, 0x5678};
    const struct {
        const char* what;
        QByteArray request;
        QByteArray reply;  // empty: silence
    } cases[] = {
        {"read from the counting memory",
         Request([](auto o) { return BuildReadRegisters(o, 1, 40, 3); }),
         SerialRelay::WithCrc(Hex("010306041004110412"))},
        {"write",
         Request([&](auto o) { return BuildWriteRegisters(o, 1, 170, 2, std::span(written)); }),
         SerialRelay::WithCrc(Hex("011000aa0002"))},
        {"the written values read back",
         Request([](auto o) { return BuildReadRegisters(o, 1, 169, 4); }),
         SerialRelay::WithCrc(Hex("0103080491123456780494"))},
        {"another address", Request([](auto o) { return BuildReadRegisters(o, 2, 0, 1); }), {}},
        {"the broadcast address",
         Request([](auto o) { return BuildReadRegisters(o, 0, 0, 1); }),
         {}},
        {"a damaged CRC", Hex("01030000000185cb"), {}},
        {"an unknown function", Request([](auto o) { return BuildReadJournal(o, 1, 0, 4); }),
         SerialRelay::WithCrc(Hex("01d101"))},
        {"too many registers", SerialRelay::WithCrc(Hex("01030000007e")),
         SerialRelay::WithCrc(Hex("018303"))},
        {"beyond the memory", Request([](auto o) { return BuildReadRegisters(o, 1, 0xFFFF, 2); }),
         SerialRelay::WithCrc(Hex("018302"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(line->exchange(c.request, c.reply.size()).toHex(), c.reply.toHex());
    }
    ASSERT_EQ(line->relay().requests().size(), std::size(cases)) << "every request is logged";
    EXPECT_EQ(line->relay().registers[170], 0x1234);
}

// The minimal set is stored at register 0 and never answered.
TEST_P(SerialRelayTest, MinimalSetIsStoredSilently)
{
    line->relay().minimalSet = {7, 8};
    const QByteArray restore = Request([](auto o) { return BuildRestoreMinimalSet(o, 1); });
    EXPECT_TRUE(line->exchange(restore, 0).isEmpty());
    EXPECT_EQ(
        line->exchange(Request([](auto o) { return BuildReadRegisters(o, 1, 0, 3); }), 11).toHex(),
        SerialRelay::WithCrc(Hex("0103060007000803ea")).toHex());
}

// Text reads parsed by the configurator's own parser: variant 1 names its start, variant 0 walks
// the values group by group; the link check is echoed.
TEST_P(SerialRelayTest, TextAnswers)
{
    const QByteArray check = Request([](auto o) { return BuildTextLinkCheck(o, 1); });
    EXPECT_EQ(line->exchange(check, check.size()), check);

    struct Case {
        TextVariant variant;
        int start;
        std::size_t group;
        int firstValue;
    };
    for (const Case& c : {Case{TextVariant::Old, 0, 0, 1000}, Case{TextVariant::Old, 0, 1, 1008},
                          Case{TextVariant::New, 20, 0, 1020}}) {
        SCOPED_TRACE(c.firstValue);
        const TextFraming framing{c.variant, 8};
        line->relay().framing = framing;
        const QByteArray request = Request([&](auto o) {
            return BuildTextRead(framing, o, 1, static_cast<std::uint16_t>(c.start), 8);
        });
        QByteArray reply;
        line->write(request);
        (void)QTest::qWaitFor([&] { return (reply += line->take()).endsWith(kTextEnd); }, 3000);
        std::vector<std::int32_t> values(16, -1);
        const TextReply parsed =
            ParseTextRead(framing, Bytes(reply), Bytes(request), c.group, values);
        ASSERT_TRUE(parsed.good()) << reply.toStdString();
        for (std::size_t k = 0; k < 8; ++k)
            EXPECT_EQ(values[c.group * 8 + k], c.firstValue + static_cast<int>(k)) << k;
    }
}

// Two requests in one piece and one request in two pieces: each answered once, in order.
TEST_P(SerialRelayTest, StreamIsCutIntoRequests)
{
    const QByteArray a = Request([](auto o) { return BuildReadRegisters(o, 1, 1, 1); });
    const QByteArray b = Request([](auto o) { return BuildReadRegisters(o, 1, 2, 1); });
    const QByteArray replies =
        SerialRelay::WithCrc(Hex("01030203e9")) + SerialRelay::WithCrc(Hex("01030203ea"));
    EXPECT_EQ(line->exchange(a + b, replies.size()).toHex(), replies.toHex());
    line->write(a.left(3));
    EXPECT_EQ(line->exchange(a.mid(3), 7).toHex(), replies.left(7).toHex());
    const std::vector<QByteArray> expected{a, b, a};
    EXPECT_EQ(line->relay().requests(), expected);
}

// A script replaces one answer and leaves the rest to the relay.
TEST_P(SerialRelayTest, ScriptDamagesOneRequestOnly)
{
    SerialRelay& relay = line->relay();
    relay.setScript([&relay](const QByteArray& r, int index) {
        RelayAction action = relay.answer(r);
        if (index == 0)
            action.reply[3] = 0;
        return action;
    });
    const QByteArray read = Request([](auto o) { return BuildReadRegisters(o, 1, 1, 1); });
    const QByteArray good = SerialRelay::WithCrc(Hex("01030203e9"));
    QByteArray damaged = good;
    damaged[3] = 0;
    EXPECT_EQ(line->exchange(read, 7).toHex(), damaged.toHex());
    EXPECT_EQ(line->exchange(read, 7).toHex(), good.toHex());
}

INSTANTIATE_TEST_SUITE_P(Ends, SerialRelayTest, ::testing::Values(false, true),
                         [](const auto& end) { return end.param ? "Pty" : "Memory"; });

}  // namespace
}  // namespace tirv::test
