#include "sim/relay_line.h"

#include <algorithm>

#include "common/crc16.h"
#include "configurator/link/frames.h"

namespace tirv::sim {
namespace {

// Length of a Modbus request by its function code; 0 while it cannot be told yet (or never).
std::size_t RequestLength(std::span<const std::uint8_t> b)
{
    if (b.size() < 2)
        return 0;
    if (b[1] == kWriteSingleRegister)
        return 8;
    switch (static_cast<Function>(b[1])) {
    case Function::ReadRegisters:
    case Function::ReadArchive:
    case Function::ReadJournal:
    case Function::BootRead:
        return 8;
    case Function::WriteRegisters:
    case Function::WriteService:
        return b.size() < 7 ? 0 : 9u + b[6];
    case Function::RestoreMinimalSet:
        return 5;
    case Function::ClockBroadcast:
        return 11;
    case Function::BootCommand:
        return 15;
    case Function::BootWrite:
        return b.size() < 8 ? 0 : 10u + (b[6] | b[7] << 8);
    }
    return 0;
}

bool CrcGood(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 4)
        return false;
    const std::uint16_t crc = Crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

void AppendCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

}  // namespace

int BitsPerByte(const LineSettings& line)
{
    return 1 + 8 + (line.parity != 0 ? 1 : 0) + line.stopBits;
}

int LineTimeMs(std::size_t bytes, std::uint32_t baud, int bitsPerByte)
{
    if (baud == 0)
        return 0;
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes) * static_cast<unsigned>(bitsPerByte);
    return static_cast<int>((bits * 1000 + baud - 1) / baud);
}

bool Hears(const Relay& relay, PeerLine peer)
{
    const LineSettings& l = relay.line();
    return BaudRate(l.baudIndex) == peer.baud && l.stopBits == peer.stopBits;
}

Relay& RelayLine::AddRelay(std::unique_ptr<Relay> relay)
{
    m_relays.push_back(std::move(relay));
    return *m_relays.back();
}

std::optional<Transmission> RelayLine::Receive(std::span<const std::uint8_t> bytes,
                                               std::int64_t nowMs, PeerLine peer)
{
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    if (m_buffer.size() > kMaxRequestBytes) {
        m_buffer.clear();
        return std::nullopt;
    }
    if (auto t = TryModbus(nowMs, peer, false))
        return t;
    return TryText(nowMs, peer);
}

std::optional<Transmission> RelayLine::Silence(std::int64_t nowMs, PeerLine peer)
{
    std::optional<Transmission> t = TryModbus(nowMs, peer, true);
    m_buffer.clear();  // whatever is left after a gap is noise
    return t;
}

std::optional<Transmission> RelayLine::TryModbus(std::int64_t nowMs, PeerLine peer, bool atGap)
{
    std::size_t length = RequestLength(m_buffer);
    if (length == 0 && atGap)
        length = m_buffer.size();  // an unknown function: the gap ends it
    if (length == 0 || m_buffer.size() < length)
        return std::nullopt;
    const std::span<const std::uint8_t> frame(m_buffer.data(), length);
    if (!CrcGood(frame))
        return std::nullopt;  // noise, or a text frame; the gap or "#" decides
    const std::vector<std::uint8_t> request(frame.begin(), frame.end());
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
    return DispatchModbus(request, nowMs, peer);
}

std::optional<Transmission> RelayLine::DispatchModbus(std::span<const std::uint8_t> frame,
                                                      std::int64_t nowMs, PeerLine peer)
{
    const std::uint8_t address = frame[0];
    const std::span<const std::uint8_t> pdu = frame.subspan(1, frame.size() - 3);
    if (address == kBroadcastAddress) {
        for (auto& r : m_relays)
            if (r->line().protocol == Protocol::Modbus && Hears(*r, peer))
                r->HandlePdu(pdu, nowMs, Channel::Serial, true);
        return std::nullopt;
    }
    if (m_loadersAttached && (pdu[0] == static_cast<std::uint8_t>(Function::BootRead) ||
                              pdu[0] == static_cast<std::uint8_t>(Function::BootCommand) ||
                              pdu[0] == static_cast<std::uint8_t>(Function::BootWrite)))
        return std::nullopt;
    for (auto& r : m_relays) {
        const bool boot = r->mode() == RelayMode::Bootloader;
        if (boot && m_loadersAttached)
            continue;
        const int listensAt = boot ? regs::kBootAddress : r->line().address;
        if (listensAt != address || !Hears(*r, peer))
            continue;
        if (!boot && r->line().protocol != Protocol::Modbus)
            continue;
        if (m_faults.silent)
            return std::nullopt;
        PduReply reply;
        if (m_faults.exceptionCode != 0) {
            reply.answer = true;
            reply.pdu = {static_cast<std::uint8_t>(pdu[0] | kExceptionFlag), m_faults.exceptionCode};
        } else {
            reply = r->HandlePdu(pdu, nowMs, Channel::Serial, false);
        }
        if (!reply.answer)
            return std::nullopt;
        std::vector<std::uint8_t> bytes{address};
        bytes.insert(bytes.end(), reply.pdu.begin(), reply.pdu.end());
        AppendCrc(bytes);
        return Finish(*r, std::move(bytes), reply.applyAfterReply, ReplyForm::Rtu);
    }
    return std::nullopt;
}

std::optional<Transmission> RelayLine::TryText(std::int64_t nowMs, PeerLine peer)
{
    const auto start = std::find(m_buffer.begin(), m_buffer.end(), static_cast<std::uint8_t>(':'));
    if (start == m_buffer.end()) {
        if (RequestLength(m_buffer) == 0 && m_buffer.size() > 8 && m_buffer[0] != ':')
            m_buffer.clear();  // neither protocol can make sense of it
        return std::nullopt;
    }
    const auto end = std::find(start, m_buffer.end(), static_cast<std::uint8_t>('#'));
    if (end == m_buffer.end())
        return std::nullopt;
    const std::vector<std::uint8_t> frame(start, end + 1);
    m_buffer.erase(m_buffer.begin(), end + 1);
    for (auto& r : m_relays) {
        const LineSettings& l = r->line();
        if (l.protocol != Protocol::Tirv || r->mode() != RelayMode::Application || !Hears(*r, peer))
            continue;
        const std::optional<TextRequest> req = ParseTextRequest(frame, l.variant, l.valuesPerFrame);
        if (!req || req->address != l.address)
            continue;
        if (m_faults.silent || m_faults.exceptionCode != 0)
            return std::nullopt;  // the ТИРВ protocol has no exception reply: the relay is mute
        TextAnswer answer = r->HandleText(*req, nowMs);
        if (answer.frame.empty())
            return std::nullopt;
        std::vector<std::uint8_t> bytes(answer.frame.begin(), answer.frame.end());
        return Finish(*r, std::move(bytes), answer.applyAfterReply, ReplyForm::Text);
    }
    return std::nullopt;
}

bool RelayLine::ApplyFaults(std::vector<std::uint8_t>& bytes, ReplyForm form)
{
    if (m_faults.dropNext > 0) {
        --m_faults.dropNext;
        return false;
    }
    if (m_faults.dropShare > 0.0) {
        std::uniform_real_distribution<double> u(0.0, 1.0);
        if (u(m_rng) < m_faults.dropShare)
            return false;
    }
    if (m_faults.badCrcNext > 0 && bytes.size() >= 2 && form != ReplyForm::Tcp) {
        --m_faults.badCrcNext;
        // Modbus: the high CRC byte; ТИРВ protocol: the last CRC digit before "#".
        if (form == ReplyForm::Rtu) {
            bytes.back() ^= 0x5A;
        } else {
            std::uint8_t& digit = bytes[bytes.size() - 2];
            digit = digit == '<' ? '=' : '<';
        }
    }
    return true;
}

std::optional<Transmission> RelayLine::Finish(Relay& relay, std::vector<std::uint8_t> bytes,
                                              std::optional<LineSettings> applyAfter,
                                              ReplyForm form)
{
    if (!ApplyFaults(bytes, form)) {
        if (applyAfter)
            relay.setLine(*applyAfter);  // the relay acted; only its reply was lost
        return std::nullopt;
    }
    Transmission t;
    t.bytes = std::move(bytes);
    t.delayMs = kTurnaroundMs + m_faults.lateMs;
    t.baud = BaudRate(relay.line().baudIndex);
    t.bitsPerByte = BitsPerByte(relay.line());
    t.relay = &relay;
    t.applyAfter = applyAfter;
    return t;
}

}  // namespace tirv::sim
