#include "an3155_master.h"

#include <algorithm>

namespace tirv::sim::test {
namespace {

constexpr std::uint8_t kAck = 0x79;
constexpr std::uint8_t kNack = 0x1F;

Answer Classify(const std::vector<std::uint8_t>& got)
{
    if (got.empty())
        return Answer::Silent;
    if (got.size() == 1 && got[0] == kAck)
        return Answer::Ack;
    if (got.size() == 1 && got[0] == kNack)
        return Answer::Nack;
    return Answer::Garbage;
}

std::vector<std::uint8_t> AddressBytes(std::uint32_t address)
{
    std::vector<std::uint8_t> b{
        static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    b.push_back(XorOf(b));
    return b;
}

}  // namespace

std::uint8_t XorOf(std::span<const std::uint8_t> bytes)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes)
        x ^= b;
    return x;
}

std::vector<std::uint8_t> An3155Master::Exchange(std::span<const std::uint8_t> bytes, std::size_t n)
{
    if (!bytes.empty())
        m_device.Receive(bytes, m_nowMs, PeerLine{m_baud, 1});
    m_lastAnswerMs = 0;
    const std::int64_t sentAt = m_nowMs;
    while (m_received.size() < n) {
        const auto wake = m_device.NextWakeMs();
        if (!wake)
            break;
        m_nowMs = std::max(m_nowMs, *wake);
        for (Burst& b : m_device.TakeOutput(m_nowMs))
            m_received.insert(m_received.end(), b.bytes.begin(), b.bytes.end());
        m_lastAnswerMs = m_nowMs - sentAt;
    }
    const std::size_t taken = std::min(n, m_received.size());
    std::vector<std::uint8_t> got(m_received.begin(),
                                  m_received.begin() + static_cast<std::ptrdiff_t>(taken));
    m_received.erase(m_received.begin(), m_received.begin() + static_cast<std::ptrdiff_t>(taken));
    return got;
}

Answer An3155Master::AnswerOf(std::span<const std::uint8_t> bytes, std::size_t n)
{
    return Classify(Exchange(bytes, n));
}

Answer An3155Master::Sync()
{
    const std::uint8_t sync[] = {0x7F};
    return AnswerOf(sync, 1);
}

Answer An3155Master::Command(std::uint8_t code, bool goodComplement)
{
    const std::uint8_t bytes[] = {code, static_cast<std::uint8_t>(goodComplement ? ~code : code)};
    return AnswerOf(bytes, 1);
}

std::optional<std::vector<std::uint8_t>> An3155Master::Get()
{
    if (Command(0x00) != Answer::Ack)
        return std::nullopt;
    const auto count = Exchange({}, 1);
    if (count.size() != 1)
        return std::nullopt;
    auto rest = Exchange({}, count[0] + 2u);
    if (rest.size() != count[0] + 2u || rest.back() != kAck)
        return std::nullopt;
    rest.pop_back();
    return rest;
}

std::optional<std::uint8_t> An3155Master::GetVersion()
{
    if (Command(0x01) != Answer::Ack)
        return std::nullopt;
    const auto rest = Exchange({}, 4);
    if (rest.size() != 4 || rest[3] != kAck)
        return std::nullopt;
    return rest[0];
}

std::optional<std::uint16_t> An3155Master::GetId()
{
    if (Command(0x02) != Answer::Ack)
        return std::nullopt;
    const auto rest = Exchange({}, 4);
    if (rest.size() != 4 || rest[0] != 1 || rest[3] != kAck)
        return std::nullopt;
    return static_cast<std::uint16_t>(rest[1] << 8 | rest[2]);
}

Answer An3155Master::SendAddress(std::uint32_t address)
{
    return AnswerOf(AddressBytes(address), 1);
}

std::optional<std::vector<std::uint8_t>> An3155Master::ReadMemory(std::uint32_t address,
                                                                  std::size_t n)
{
    if (n == 0 || n > 256 || Command(0x11) != Answer::Ack || SendAddress(address) != Answer::Ack)
        return std::nullopt;
    const std::uint8_t count[] = {static_cast<std::uint8_t>(n - 1),
                                  static_cast<std::uint8_t>(~(n - 1))};
    auto got = Exchange(count, n + 1);
    if (got.size() != n + 1 || got[0] != kAck)
        return std::nullopt;
    got.erase(got.begin());
    return got;
}

Answer An3155Master::WriteMemory(std::uint32_t address, std::span<const std::uint8_t> data)
{
    if (Answer a = Command(0x31); a != Answer::Ack)
        return a;
    if (Answer a = SendAddress(address); a != Answer::Ack)
        return a;
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(data.size() - 1)};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(XorOf(frame));
    return AnswerOf(frame, 1);
}

Answer An3155Master::EraseSectors(std::span<const std::uint16_t> sectors)
{
    if (Answer a = Command(0x44); a != Answer::Ack)
        return a;
    const std::size_t n = sectors.size() - 1;
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(n >> 8),
                                    static_cast<std::uint8_t>(n)};
    for (std::uint16_t s : sectors) {
        frame.push_back(static_cast<std::uint8_t>(s >> 8));
        frame.push_back(static_cast<std::uint8_t>(s));
    }
    frame.push_back(XorOf(frame));
    return AnswerOf(frame, 1);
}

Answer An3155Master::EraseSpecial(std::uint16_t code)
{
    if (Answer a = Command(0x44); a != Answer::Ack)
        return a;
    const std::uint8_t frame[] = {static_cast<std::uint8_t>(code >> 8),
                                  static_cast<std::uint8_t>(code),
                                  static_cast<std::uint8_t>((code >> 8) ^ (code & 0xFF))};
    return AnswerOf(frame, 1);
}

Answer An3155Master::Go(std::uint32_t address)
{
    if (Answer a = Command(0x21); a != Answer::Ack)
        return a;
    return SendAddress(address);
}

Answer An3155Master::TwoAckCommand(std::uint8_t code)
{
    if (Answer a = Command(code); a != Answer::Ack)
        return a;
    return AnswerOf({}, 1);
}

Answer An3155Master::WriteProtect(std::span<const std::uint8_t> sectors)
{
    if (Answer a = Command(0x63); a != Answer::Ack)
        return a;
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(sectors.size() - 1)};
    frame.insert(frame.end(), sectors.begin(), sectors.end());
    frame.push_back(XorOf(frame));
    if (Answer a = AnswerOf(frame, 1); a != Answer::Ack)
        return a;
    return AnswerOf({}, 1);
}

}  // namespace tirv::sim::test
