#include "configurator/firmware/stm32_boot_frames.h"

#include "configurator/firmware/flash_layout.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace tirv {

namespace {

constexpr std::uint16_t kMaxEraseSectors = 0xFFF0;  // 0xFFF0 … 0xFFFF are special erase codes
constexpr std::size_t kWord = 4;

// Writes `bytes` to `out`; 0 when they do not fit.
std::size_t Put(std::span<std::uint8_t> out, std::initializer_list<std::uint8_t> bytes)
{
    if (out.size() < bytes.size())
        return 0;
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return bytes.size();
}

std::uint8_t Hi(std::uint16_t v)
{
    return static_cast<std::uint8_t>(v >> 8);
}
std::uint8_t Lo(std::uint16_t v)
{
    return static_cast<std::uint8_t>(v);
}

// The answer of `expected` bytes framed by ACKs: shared tests of GET, GET VERSION and GET ID.
StmReply CheckFramed(std::span<const std::uint8_t> reply, std::size_t expected)
{
    if (reply.empty())
        return StmReply::NoAnswer;
    if (reply[0] == kStmNack)
        return reply.size() == 1 ? StmReply::Nack : StmReply::Malformed;
    if (reply[0] != kStmAck)
        return StmReply::Malformed;
    if (reply.size() < expected)
        return StmReply::Short;
    if (reply.size() > expected || reply[expected - 1] != kStmAck)
        return StmReply::Malformed;
    return StmReply::Good;
}

}  // namespace

std::uint8_t StmXor(std::span<const std::uint8_t> bytes)
{
    std::uint8_t x = 0;
    for (const std::uint8_t b : bytes)
        x ^= b;
    return x;
}

std::size_t BuildStmSync(std::span<std::uint8_t> out)
{
    return Put(out, {kStmSync});
}

std::size_t BuildStmCommand(std::span<std::uint8_t> out, StmCommand command)
{
    const auto c = static_cast<std::uint8_t>(command);
    return Put(out, {c, static_cast<std::uint8_t>(~c)});
}

std::size_t BuildStmAddress(std::span<std::uint8_t> out, std::uint32_t address)
{
    const std::uint8_t b[4] = {
        static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    return Put(out, {b[0], b[1], b[2], b[3], StmXor(b)});
}

std::size_t BuildStmReadLength(std::span<std::uint8_t> out, std::size_t count)
{
    if (count == 0 || count > kStmMaxBlock)
        return 0;
    const auto n = static_cast<std::uint8_t>(count - 1);
    return Put(out, {n, static_cast<std::uint8_t>(~n)});
}

std::size_t BuildStmWriteData(std::span<std::uint8_t> out, std::span<const std::uint8_t> data)
{
    if (data.empty() || data.size() > kStmMaxBlock || data.size() % kWord != 0 ||
        out.size() < data.size() + 2)
        return 0;
    const auto n = static_cast<std::uint8_t>(data.size() - 1);
    out[0] = n;
    std::copy(data.begin(), data.end(), out.begin() + 1);
    out[data.size() + 1] = static_cast<std::uint8_t>(n ^ StmXor(data));
    return data.size() + 2;
}

std::size_t BuildStmEraseSectors(std::span<std::uint8_t> out,
                                 std::span<const std::uint16_t> sectors)
{
    if (sectors.empty() || sectors.size() > kMaxEraseSectors)
        return 0;
    const std::size_t length = 2 + 2 * sectors.size() + 1;
    if (out.size() < length)
        return 0;
    const auto n = static_cast<std::uint16_t>(sectors.size() - 1);
    out[0] = Hi(n);
    out[1] = Lo(n);
    for (std::size_t i = 0; i < sectors.size(); ++i) {
        out[2 + 2 * i] = Hi(sectors[i]);
        out[3 + 2 * i] = Lo(sectors[i]);
    }
    out[length - 1] = StmXor(out.first(length - 1));
    return length;
}

std::size_t BuildStmEraseSectorRange(std::span<std::uint8_t> out, std::uint16_t first,
                                     std::uint16_t last)
{
    if (last < first || last - first >= kMaxEraseSectors)
        return 0;
    std::vector<std::uint16_t> sectors(last - first + 1u);
    std::iota(sectors.begin(), sectors.end(), first);
    return BuildStmEraseSectors(out, sectors);
}

std::size_t BuildStmMassErase(std::span<std::uint8_t> out)
{
    return Put(out, {0xFF, 0xFF, 0x00});
}

StmReply CheckStmAck(std::span<const std::uint8_t> reply)
{
    if (reply.empty())
        return StmReply::NoAnswer;
    if (reply.size() > 1)
        return StmReply::Malformed;
    if (reply[0] == kStmAck)
        return StmReply::Good;
    return reply[0] == kStmNack ? StmReply::Nack : StmReply::Malformed;
}

StmReply CheckStmDoubleAck(std::span<const std::uint8_t> reply)
{
    if (reply.empty())
        return StmReply::NoAnswer;
    if (reply.size() > 2)
        return StmReply::Malformed;
    for (const std::uint8_t b : reply) {
        if (b == kStmNack)
            return StmReply::Nack;
        if (b != kStmAck)
            return StmReply::Malformed;
    }
    return reply.size() == 2 ? StmReply::Good : StmReply::Short;
}

StmReply ParseStmGet(std::span<const std::uint8_t> reply, StmGetInfo& info)
{
    // N counts the bytes after itself, less one: the version and the command codes.
    const std::size_t expected = reply.size() >= 2 ? std::size_t{reply[1]} + 4 : 4;
    const StmReply r = CheckFramed(reply, expected);
    if (r != StmReply::Good)
        return r;
    info.version = reply[2];
    info.commandCount = reply[1];
    std::copy_n(reply.begin() + 3, reply[1], info.commands.begin());
    return r;
}

StmReply ParseStmGetVersion(std::span<const std::uint8_t> reply, std::uint8_t& version)
{
    const StmReply r = CheckFramed(reply, 5);
    if (r == StmReply::Good)
        version = reply[1];
    return r;
}

StmReply ParseStmGetId(std::span<const std::uint8_t> reply, std::uint16_t& pid)
{
    StmReply r = CheckFramed(reply, 5);
    if (r == StmReply::Good && reply[1] != 1)  // N = 1: two PID bytes
        r = StmReply::Malformed;
    if (r == StmReply::Good)
        pid = static_cast<std::uint16_t>(reply[2] << 8 | reply[3]);
    return r;
}

bool StmOptionBytes::writeProtected(std::size_t first, std::size_t last) const
{
    for (std::size_t s = first; s <= last && s < kStmSectorCount; ++s)
        if ((writableSectors & (1u << s)) == 0)
            return true;
    return false;
}

std::optional<StmOptionBytes> DecodeStmOptionBytes(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kStmOptionBytesLength)
        return std::nullopt;
    StmOptionBytes o;
    o.readProtection = bytes[1];
    o.writableSectors = static_cast<std::uint16_t>((bytes[8] | bytes[9] << 8) & kStmSectorBitsMask);
    return o;
}

}  // namespace tirv
