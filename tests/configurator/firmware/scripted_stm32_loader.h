#pragma once
// A scripted STM32 USART bootloader for the update state machine's tests: it answers each part
// of a command exchange the way AN3155 describes, holds 1 MiB of flash in the STM32F4 sectors and
// the option bytes, and injects the faults a test asks for. Kept deliberately small and separate
// from the updater (it parses what it receives, it does not reuse the updater's builders).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "configurator/firmware/flash_layout.h"

namespace tirv::test {

class ScriptedStm32Loader {
public:
    using Bytes = std::vector<std::uint8_t>;
    static constexpr std::uint8_t ACK = 0x79, NACK = 0x1F;

    Bytes flash = Bytes(kStmFlashSize, 0xFF);
    std::uint8_t readProtection = 0xAA;
    std::uint16_t nWrp = 0x0FFF;
    std::uint16_t pid = 0x0413;
    std::uint8_t version = 0x31;
    // Faults.
    int nackCommands = 0;          // NACK this many next command parts
    int silentParts = 0;           // answer nothing to this many next parts
    bool ignoreUnprotect = false;  // acknowledge unprotects but keep the protection
    long flipReadAt = -1;          // flash offset whose byte reads back inverted
    bool silentEraseParameters = false;
    bool silentFlashReads = false;  // no answer to the length part of a flash read
    // Counters for the tests.
    int eraseParameterParts = 0;
    int unprotects = 0;
    int resets = 0;

    Bytes receive(const Bytes& in)
    {
        if (silentParts > 0) {
            --silentParts;
            return {};
        }
        switch (m_phase) {
            case Phase::Command:
                return command(in);
            case Phase::Address: {
                if (in.size() != 5 || (in[0] ^ in[1] ^ in[2] ^ in[3]) != in[4])
                    return idle(NACK);
                m_address = std::uint32_t{in[0]} << 24 | in[1] << 16 | in[2] << 8 | in[3];
                if (m_command == 0x21)
                    return idle(ACK);
                m_phase = Phase::Data;
                return {ACK};
            }
            case Phase::Data:
                if (m_command == 0x44 && silentEraseParameters) {
                    ++eraseParameterParts;
                    m_phase = Phase::Command;
                    return {};
                }
                if (m_command == 0x11 && silentFlashReads && StmSectorOf(m_address)) {
                    m_phase = Phase::Command;
                    return {};
                }
                return m_command == 0x11   ? readData(in)
                       : m_command == 0x31 ? writeData(in)
                                           : erase(in);
        }
        return {};
    }

private:
    enum class Phase { Command, Address, Data };

    Bytes idle(std::uint8_t answer)
    {
        m_phase = Phase::Command;
        return {answer};
    }

    Bytes command(const Bytes& in)
    {
        if (in.size() == 1 && in[0] == 0x7F) {
            const bool again = m_synced;
            m_synced = true;
            return {again ? NACK : ACK};
        }
        if (!m_synced || in.size() != 2 || (in[0] ^ in[1]) != 0xFF)
            return {NACK};
        if (nackCommands > 0) {
            --nackCommands;
            return {NACK};
        }
        m_command = in[0];
        switch (m_command) {
            case 0x02:
                return {ACK, 1, static_cast<std::uint8_t>(pid >> 8), static_cast<std::uint8_t>(pid),
                        ACK};
            case 0x01:
                return {ACK, version, 0, 0, ACK};
            case 0x11:
            case 0x31:
            case 0x44:
                if (readProtection != 0xAA)
                    return {NACK};
                m_phase = m_command == 0x44 ? Phase::Data : Phase::Address;
                return {ACK};
            case 0x21:
                m_phase = Phase::Address;
                return {ACK};
            case 0x92:
            case 0x73:
                ++unprotects;
                if (!ignoreUnprotect && m_command == 0x92) {
                    readProtection = 0xAA;
                    std::fill(flash.begin(), flash.end(), 0xFF);  // removing RDP erases all
                }
                if (!ignoreUnprotect && m_command == 0x73)
                    nWrp = 0x0FFF;
                m_synced = false;  // the loader resets
                ++resets;
                return {ACK, ACK};
        }
        return {NACK};
    }

    Bytes readData(const Bytes& in)
    {
        m_phase = Phase::Command;
        if (in.size() != 2 || (in[0] ^ in[1]) != 0xFF)
            return {NACK};
        const std::size_t n = in[0] + 1u;
        Bytes out{ACK};
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(readByte(m_address + static_cast<std::uint32_t>(i)));
        return out;
    }

    std::uint8_t readByte(std::uint32_t a) const
    {
        if (a >= 0x1FFFC000 && a < 0x1FFFC010) {
            const std::uint8_t opt[16] = {0xEC,
                                          readProtection,
                                          0x13,
                                          static_cast<std::uint8_t>(~readProtection),
                                          0xFF,
                                          0xFF,
                                          0xFF,
                                          0xFF,
                                          static_cast<std::uint8_t>(nWrp),
                                          static_cast<std::uint8_t>(nWrp >> 8 | 0xF0),
                                          0,
                                          0,
                                          0xFF,
                                          0xFF,
                                          0xFF,
                                          0xFF};
            return opt[a - 0x1FFFC000];
        }
        if (a < kStmFlashStart || a > kStmFlashLast)
            return 0;
        const std::uint8_t b = flash[a - kStmFlashStart];
        return static_cast<long>(a - kStmFlashStart) == flipReadAt ? static_cast<std::uint8_t>(~b)
                                                                   : b;
    }

    Bytes writeData(const Bytes& in)
    {
        m_phase = Phase::Command;
        if (in.size() < 2 || in.size() != in[0] + 3u)
            return {NACK};
        std::uint8_t x = 0;
        for (std::size_t i = 0; i + 1 < in.size(); ++i)
            x ^= in[i];
        if (x != in.back() || (in[0] + 1u) % 4 != 0)
            return {NACK};
        for (std::size_t i = 1; i + 1 < in.size(); ++i) {
            const std::uint32_t a = m_address + static_cast<std::uint32_t>(i - 1);
            const auto sector = StmSectorOf(a);
            if (!sector || (nWrp & (1u << *sector)) == 0)
                return {NACK};
            flash[a - kStmFlashStart] &= in[i];  // flash bits only go from 1 to 0
        }
        return {ACK};
    }

    Bytes erase(const Bytes& in)
    {
        m_phase = Phase::Command;
        ++eraseParameterParts;
        if (in.size() < 3)
            return {NACK};
        std::uint8_t x = 0;
        for (std::size_t i = 0; i + 1 < in.size(); ++i)
            x ^= in[i];
        const std::size_t count = (in[0] << 8 | in[1]) + 1u;
        if (x != in.back() || in.size() != 2 * count + 3)
            return {NACK};
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t s = in[2 + 2 * i] << 8 | in[3 + 2 * i];
            if (s >= kStmSectorCount || (nWrp & (1u << s)) == 0)
                return {NACK};
            std::fill_n(flash.begin() + (StmSectorStart(s) - kStmFlashStart), StmSectorSize(s),
                        0xFF);
        }
        return {ACK};
    }

    Phase m_phase = Phase::Command;
    bool m_synced = false;
    std::uint8_t m_command = 0;
    std::uint32_t m_address = 0;
};

}  // namespace tirv::test
