#pragma once
// The configurator's side of a simulated line for tests: requests built with the configurator's
// codec, replies checked with its checkers, as the pages send and read them.
#include <array>
#include <cstdint>
#include <vector>

#include "configurator/link/frames.h"
#include "sim/relay_line.h"

namespace tirv::sim {

class RelayMaster {
public:
    explicit RelayMaster(RelayLine& line, PeerLine peer = {57600, 1}) : m_line(line), m_peer(peer)
    {
    }

    // The reply bytes to one request, empty when nothing answers.
    std::vector<std::uint8_t> exchange(const std::vector<std::uint8_t>& request, std::int64_t nowMs)
    {
        auto t = m_line.Receive(request, nowMs, m_peer);
        if (!t)
            t = m_line.Silence(nowMs + 5, m_peer);
        if (!t)
            return {};
        if (t->applyAfter && t->relay)
            t->relay->setLine(*t->applyAfter);
        return t->bytes;
    }

    // Registers read with function 3, 0x41 or 0x51; empty when the reply is not a good one.
    std::vector<std::uint16_t> read(std::uint8_t address, std::uint16_t start, std::uint16_t count,
                                    std::int64_t nowMs, Function function = Function::ReadRegisters)
    {
        std::array<std::uint8_t, kFrameBufferSize> buf{};
        const std::size_t n =
            function == Function::ReadArchive   ? BuildReadArchive(buf, address, start, count)
            : function == Function::ReadJournal ? BuildReadJournal(buf, address, start, count)
                                                : BuildReadRegisters(buf, address, start, count);
        const std::vector<std::uint8_t> reply =
            exchange({buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)}, nowMs);
        std::vector<std::uint16_t> regs;
        if (CheckReadReply(reply, address, function, count) != LinkResult::Good)
            return regs;
        for (std::size_t k = 0; k < count; ++k)
            regs.push_back(ReadReplyRegister(reply, k));
        return regs;
    }

    // The exception code of the reply to a write (0 for an acknowledgement).
    std::uint8_t write(std::uint8_t address, std::uint16_t start, std::vector<std::uint16_t> values,
                       std::int64_t nowMs)
    {
        std::array<std::uint8_t, kFrameBufferSize> buf{};
        const std::size_t n =
            BuildWriteRegisters(buf, address, start, static_cast<std::uint16_t>(values.size()),
                                std::span<const std::uint16_t>(values));
        const auto reply =
            exchange({buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)}, nowMs);
        return reply.empty() ? 0xFF : ReplyExceptionCode(reply);
    }

    void restoreMinimalSet(std::uint8_t address, std::int64_t nowMs)
    {
        std::array<std::uint8_t, kFrameBufferSize> buf{};
        const std::size_t n = BuildRestoreMinimalSet(buf, address);
        exchange({buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n)}, nowMs);
    }

private:
    RelayLine& m_line;
    PeerLine m_peer;
};

}  // namespace tirv::sim
