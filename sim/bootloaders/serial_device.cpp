#include "sim/bootloaders/serial_device.h"

#include <algorithm>

#include "common/crc16.h"

namespace tirv::sim {

void OutputQueue::Send(std::vector<std::uint8_t> bytes, std::uint32_t baud, std::int64_t dueMs)
{
    // A reply never overtakes the one before it on the wire.
    if (!m_pending.empty())
        dueMs = std::max(dueMs, m_pending.back().dueMs);
    m_pending.push_back({{std::move(bytes), baud}, dueMs});
}

std::vector<Burst> OutputQueue::Take(std::int64_t nowMs)
{
    std::vector<Burst> due;
    while (!m_pending.empty() && m_pending.front().dueMs <= nowMs) {
        due.push_back(std::move(m_pending.front().burst));
        m_pending.pop_front();
    }
    return due;
}

std::optional<std::int64_t> OutputQueue::NextDueMs() const
{
    if (m_pending.empty())
        return std::nullopt;
    return m_pending.front().dueMs;
}

void AppendFlashPages(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> flash)
{
    const std::size_t pages = flash.size() / kStatePageSize;
    const std::size_t bitmapAt = out.size();
    out.resize(out.size() + (pages + 7) / 8, 0);
    for (std::size_t p = 0; p < pages; ++p) {
        const auto page = flash.subspan(p * kStatePageSize, kStatePageSize);
        if (std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0xFF; }))
            continue;
        out[bitmapAt + p / 8] |= static_cast<std::uint8_t>(1u << (p % 8));
        out.insert(out.end(), page.begin(), page.end());
    }
}

std::uint8_t StateReader::Byte()
{
    const auto b = Take(1);
    return b.empty() ? 0 : b[0];
}

std::uint32_t StateReader::Word32()
{
    const auto b = Take(4);
    if (b.empty())
        return 0;
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::span<const std::uint8_t> StateReader::Take(std::size_t n)
{
    if (m_failed || n > m_bytes.size() - m_position) {
        m_failed = true;
        return {};
    }
    const auto part = m_bytes.subspan(m_position, n);
    m_position += n;
    return part;
}

void StateReader::FlashPages(std::span<std::uint8_t> flash)
{
    const std::size_t pages = flash.size() / kStatePageSize;
    const auto bitmap = Take((pages + 7) / 8);
    if (m_failed)
        return;
    for (std::size_t p = 0; p < pages; ++p) {
        const auto page = flash.subspan(p * kStatePageSize, kStatePageSize);
        if ((bitmap[p / 8] >> (p % 8) & 1) == 0) {
            std::fill(page.begin(), page.end(), 0xFF);
            continue;
        }
        const auto saved = Take(kStatePageSize);
        if (m_failed)
            return;
        std::copy(saved.begin(), saved.end(), page.begin());
    }
}

void AppendWord32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendStateCrc(std::vector<std::uint8_t>& out)
{
    const std::uint16_t crc = Crc16(out);
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
}

std::optional<std::span<const std::uint8_t>> CheckStateCrc(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2)
        return std::nullopt;
    const auto body = bytes.first(bytes.size() - 2);
    const std::uint16_t crc = Crc16(body);
    if (bytes[bytes.size() - 2] != (crc & 0xFF) || bytes[bytes.size() - 1] != (crc >> 8))
        return std::nullopt;
    return body;
}

}  // namespace tirv::sim
