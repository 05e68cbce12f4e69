#include "sim/bootloaders/stm32_bootloader.h"

#include <algorithm>
#include <array>

namespace tirv::sim {
namespace {

struct CommandRow {
    Stm32Command command;
    bool refusedWhenReadProtected;  // AN3155: NACK at the command byte while RDP is active
};
// The commands bootloader 3.1 of the STM32F4 offers, in the order GET lists them.
constexpr std::array<CommandRow, 11> kCommands{{
    {Stm32Command::Get, false},
    {Stm32Command::GetVersion, false},
    {Stm32Command::GetId, false},
    {Stm32Command::ReadMemory, true},
    {Stm32Command::Go, true},
    {Stm32Command::WriteMemory, true},
    {Stm32Command::ExtendedErase, true},
    {Stm32Command::WriteProtect, true},
    {Stm32Command::WriteUnprotect, true},
    {Stm32Command::ReadoutProtect, false},
    {Stm32Command::ReadoutUnprotect, false},
}};

const CommandRow* FindCommand(std::uint8_t code)
{
    for (const CommandRow& row : kCommands)
        if (static_cast<std::uint8_t>(row.command) == code)
            return &row;
    return nullptr;
}

std::uint8_t Xor(std::span<const std::uint8_t> bytes)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes)
        x ^= b;
    return x;
}

std::uint32_t BigEndian32(std::span<const std::uint8_t> b)
{
    return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
           static_cast<std::uint32_t>(b[2]) << 8 | b[3];
}

}  // namespace

void Stm32Bootloader::EnterBootloader(std::int64_t nowMs)
{
    m_mode = Stm32Mode::Bootloader;
    m_output.Clear();
    m_baud = 0;
    m_busyUntil = nowMs;
    Expect(Phase::Sync, 1);
}

void Stm32Bootloader::Reset()
{
    m_mode = Stm32Mode::Application;
    m_output.Clear();
    Expect(Phase::Sync, 1);
}

std::optional<std::int64_t> Stm32Bootloader::NextWakeMs() const
{
    return m_output.NextDueMs();
}

void Stm32Bootloader::Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs,
                              PeerLine peer)
{
    if (m_mode != Stm32Mode::Bootloader || m_faults.silent || m_memory.bootloaderDisabled())
        return;
    // Busy erasing, writing option bytes or restarting: the USART is not read and bytes are lost.
    if (nowMs < m_busyUntil)
        return;
    for (std::uint8_t b : bytes) {
        if (m_phase == Phase::Sync) {
            if (b == kStm32Sync) {
                m_baud = peer.baud;
                Ack(nowMs);
                Expect(Phase::Command, 2);
            }
            continue;
        }
        // Once the speed is fixed, characters sent at another speed arrive as garbage.
        if (peer.baud != m_baud)
            continue;
        m_buffer.push_back(b);
        if (m_buffer.size() == m_need) {
            Step(nowMs);
            if (nowMs < m_busyUntil)
                return;
        }
    }
}

void Stm32Bootloader::Expect(Phase phase, std::size_t bytes)
{
    m_phase = phase;
    m_need = bytes;
    m_buffer.clear();
}

void Stm32Bootloader::Reply(std::vector<std::uint8_t> bytes, std::int64_t dueMs)
{
    m_output.Send(std::move(bytes), m_baud, dueMs);
}

void Stm32Bootloader::Nack(std::int64_t dueMs)
{
    Reply({kStm32Nack}, dueMs);
    Expect(Phase::Command, 2);
}

void Stm32Bootloader::Busy(std::int64_t untilMs)
{
    m_busyUntil = std::max(m_busyUntil, untilMs);
}

void Stm32Bootloader::Step(std::int64_t nowMs)
{
    switch (m_phase) {
        case Phase::Sync:
            break;
        case Phase::Command:
            OnCommand(nowMs);
            break;
        case Phase::ReadAddress:
            OnReadAddress(nowMs);
            break;
        case Phase::ReadCount:
            OnReadCount(nowMs);
            break;
        case Phase::WriteAddress:
            OnWriteAddress(nowMs);
            break;
        case Phase::WriteCount:
            m_count = m_buffer[0];
            Expect(Phase::WriteData, m_count + 2u);
            break;
        case Phase::WriteData:
            OnWriteData(nowMs);
            break;
        case Phase::GoAddress:
            OnGoAddress(nowMs);
            break;
        case Phase::EraseCount:
            OnEraseCount();
            break;
        case Phase::EraseSpecial:
            OnEraseSpecial(nowMs);
            break;
        case Phase::EraseList:
            OnEraseList(nowMs);
            break;
        case Phase::ProtectCount:
            m_count = m_buffer[0];
            Expect(Phase::ProtectList, m_count + 2u);
            break;
        case Phase::ProtectList:
            OnProtectList(nowMs);
            break;
    }
}

void Stm32Bootloader::OnCommand(std::int64_t nowMs)
{
    const std::uint8_t code = m_buffer[0];
    const CommandRow* row = FindCommand(code);
    if ((m_buffer[0] ^ m_buffer[1]) != 0xFF || row == nullptr)
        return Nack(nowMs);
    if (m_faults.nackNext > 0) {
        --m_faults.nackNext;
        return Nack(nowMs);
    }
    if (row->refusedWhenReadProtected && m_memory.readProtected())
        return Nack(nowMs);
    switch (row->command) {
        case Stm32Command::Get: {
            std::vector<std::uint8_t> reply{kStm32Ack, static_cast<std::uint8_t>(kCommands.size()),
                                            m_faults.version};
            for (const CommandRow& r : kCommands)
                reply.push_back(static_cast<std::uint8_t>(r.command));
            reply.push_back(kStm32Ack);
            Reply(std::move(reply), nowMs);
            return Expect(Phase::Command, 2);
        }
        case Stm32Command::GetVersion:
            // The two option bytes of older bootloaders read 0 on this one.
            Reply({kStm32Ack, m_faults.version, 0, 0, kStm32Ack}, nowMs);
            return Expect(Phase::Command, 2);
        case Stm32Command::GetId:
            Reply({kStm32Ack, 1, static_cast<std::uint8_t>(m_faults.pid >> 8),
                   static_cast<std::uint8_t>(m_faults.pid & 0xFF), kStm32Ack},
                  nowMs);
            return Expect(Phase::Command, 2);
        case Stm32Command::ReadMemory:
            Ack(nowMs);
            return Expect(Phase::ReadAddress, 5);
        case Stm32Command::WriteMemory:
            Ack(nowMs);
            return Expect(Phase::WriteAddress, 5);
        case Stm32Command::Go:
            Ack(nowMs);
            return Expect(Phase::GoAddress, 5);
        case Stm32Command::ExtendedErase:
            Ack(nowMs);
            return Expect(Phase::EraseCount, 2);
        case Stm32Command::WriteProtect:
            Ack(nowMs);
            return Expect(Phase::ProtectCount, 1);
        case Stm32Command::WriteUnprotect: {
            OptionBytes options = m_memory.options();
            SetWriteProtectedSectors(options, 0);
            return ChangeOptions(options, false, nowMs);
        }
        case Stm32Command::ReadoutProtect: {
            OptionBytes options = m_memory.options();
            options[kOptionRdp] = kRdpLevel1;
            return ChangeOptions(options, false, nowMs);
        }
        case Stm32Command::ReadoutUnprotect: {
            // Leaving level 1 erases the whole flash, so that no protected program can be read.
            OptionBytes options = m_memory.options();
            options[kOptionRdp] = kRdpLevel0;
            return ChangeOptions(options, true, nowMs);
        }
    }
}

void Stm32Bootloader::ChangeOptions(const OptionBytes& options, bool massErase, std::int64_t nowMs)
{
    Ack(nowMs);
    if (massErase)
        m_memory.EraseAll();
    m_memory.setOptions(options);
    const std::int64_t done = nowMs + m_timing.unprotectMs + (massErase ? m_timing.massEraseMs : 0);
    Ack(done);
    // The option bytes take effect through a system reset: back to waiting for 0x7F.
    Busy(done + m_timing.resetMs);
    m_baud = 0;
    Expect(Phase::Sync, 1);
}

void Stm32Bootloader::OnReadAddress(std::int64_t nowMs)
{
    if (Xor(std::span(m_buffer).first(4)) != m_buffer[4])
        return Nack(nowMs);
    m_address = BigEndian32(m_buffer);
    if (!LocateRange(m_address, 1))
        return Nack(nowMs);
    Ack(nowMs);
    Expect(Phase::ReadCount, 2);
}

void Stm32Bootloader::OnReadCount(std::int64_t nowMs)
{
    if ((m_buffer[0] ^ m_buffer[1]) != 0xFF)
        return Nack(nowMs);
    const std::uint32_t length = m_buffer[0] + 1u;
    const auto range = LocateRange(m_address, length);
    if (!range)
        return Nack(nowMs);
    std::vector<std::uint8_t> reply(length + 1);
    reply[0] = kStm32Ack;
    m_memory.Read(*range, std::span(reply).subspan(1));
    if (m_faults.flipReadBack && range->region == Region::Flash)
        reply[1] ^= 0x01;
    Reply(std::move(reply), nowMs);
    Expect(Phase::Command, 2);
}

void Stm32Bootloader::OnWriteAddress(std::int64_t nowMs)
{
    if (Xor(std::span(m_buffer).first(4)) != m_buffer[4])
        return Nack(nowMs);
    m_address = BigEndian32(m_buffer);
    // Flash is programmed in 32-bit words: the address must be word aligned.
    if (!LocateRange(m_address, 1) || m_address % 4 != 0)
        return Nack(nowMs);
    Ack(nowMs);
    Expect(Phase::WriteCount, 1);
}

void Stm32Bootloader::OnWriteData(std::int64_t nowMs)
{
    const std::span<const std::uint8_t> data = std::span(m_buffer).first(m_count + 1u);
    if ((Xor(data) ^ m_count) != m_buffer.back())
        return Nack(nowMs);
    const auto range = LocateRange(m_address, static_cast<std::uint32_t>(data.size()));
    if (!range || data.size() % 4 != 0)
        return Nack(nowMs);
    if (range->region == Region::Options) {
        // Option bytes are written whole and take effect through a reset.
        if (range->offset != 0 || data.size() != kStm32OptionSize)
            return Nack(nowMs);
        OptionBytes options{};
        std::copy(data.begin(), data.end(), options.begin());
        return ChangeOptions(options, false, nowMs);
    }
    if ((Stm32Memory::SectorsOf(range->offset, static_cast<std::uint32_t>(data.size())) &
         m_memory.writeProtected()) != 0)
        return Nack(nowMs);
    m_memory.Program(range->offset, data);
    const std::int64_t done = nowMs + m_timing.writeBlockMs;
    Ack(done);
    Busy(done);
    Expect(Phase::Command, 2);
}

void Stm32Bootloader::OnGoAddress(std::int64_t nowMs)
{
    if (Xor(std::span(m_buffer).first(4)) != m_buffer[4])
        return Nack(nowMs);
    const std::uint32_t address = BigEndian32(m_buffer);
    const auto range = LocateRange(address, 1);
    if (!range || range->region != Region::Flash)
        return Nack(nowMs);
    Ack(nowMs);
    m_lastGo = address;
    m_mode = Stm32Mode::Application;
    Expect(Phase::Sync, 1);
}

void Stm32Bootloader::OnEraseCount()
{
    // The two count bytes stay in the buffer: the checksum covers them.
    const std::uint8_t high = m_buffer[0], low = m_buffer[1];
    const unsigned n = high << 8 | low;
    if (n >= 0xFFF0)
        Expect(Phase::EraseSpecial, 3);  // a special code and its checksum
    else
        Expect(Phase::EraseList, 2 + 2 * (n + 1) + 1);
    m_buffer = {high, low};
}

void Stm32Bootloader::OnEraseSpecial(std::int64_t nowMs)
{
    const unsigned code = m_buffer[0] << 8 | m_buffer[1];
    // Bank erases (0xFFFE, 0xFFFD) do not exist on this single-bank part.
    if ((m_buffer[0] ^ m_buffer[1]) != m_buffer[2] || code != kStm32MassErase ||
        m_memory.writeProtected() != 0)
        return Nack(nowMs);
    m_memory.EraseAll();
    const std::int64_t done = nowMs + m_timing.massEraseMs + m_faults.eraseExtraMs;
    Ack(done);
    Busy(done);
    Expect(Phase::Command, 2);
}

void Stm32Bootloader::OnEraseList(std::int64_t nowMs)
{
    if (Xor(std::span(m_buffer).first(m_buffer.size() - 1)) != m_buffer.back())
        return Nack(nowMs);
    std::uint16_t sectors = 0;
    const std::size_t count = (m_buffer.size() - 3) / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned sector = m_buffer[2 + 2 * i] << 8 | m_buffer[3 + 2 * i];
        if (sector >= kStm32Sectors.size())
            return Nack(nowMs);
        sectors |= static_cast<std::uint16_t>(1u << sector);
    }
    if ((sectors & m_memory.writeProtected()) != 0)
        return Nack(nowMs);
    for (std::size_t k = 0; k < kStm32Sectors.size(); ++k)
        if (sectors >> k & 1)
            m_memory.EraseSector(k);
    const std::int64_t done =
        nowMs + static_cast<std::int64_t>(count) * m_timing.eraseSectorMs + m_faults.eraseExtraMs;
    Ack(done);
    Busy(done);
    Expect(Phase::Command, 2);
}

void Stm32Bootloader::OnProtectList(std::int64_t nowMs)
{
    const std::span<const std::uint8_t> codes = std::span(m_buffer).first(m_count + 1u);
    if ((Xor(codes) ^ m_count) != m_buffer.back())
        return Nack(nowMs);
    std::uint16_t sectors = m_memory.writeProtected();
    for (std::uint8_t code : codes) {
        if (code >= kStm32Sectors.size())
            return Nack(nowMs);
        sectors |= static_cast<std::uint16_t>(1u << code);
    }
    OptionBytes options = m_memory.options();
    SetWriteProtectedSectors(options, sectors);
    ChangeOptions(options, false, nowMs);
}

}  // namespace tirv::sim
