#pragma once
// Request frames of the I/O and LED blocks and what is done with each reply, over both serial
// formats. Pure functions over the link codec; the operations only move the bytes.
//   I/O block: Modbus read 125 + 5 registers from 170 and write 123 + 5 (the relay's own, longer
//   reply waits); ТИРВ protocol at most values per frame per request, offsets without 0x8000.
//   LEDs: one Modbus request of 15 or 24 registers, paced like any other read or write.
#include "configurator/link/reply_completion.h"
#include "configurator/setpoints/setpoint_frames.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

enum class BlockKind { Io, Led };

// Read of `registers` registers by a request of `requestLength` bytes: the full first block of
// 125 registers, or a shorter remainder.
int IoReadWaitMs(std::size_t requestLength, int registers, int baudIndex);
// Write by a request of `requestLength` bytes; the first block of a write waits longer.
int IoWriteWaitMs(std::size_t requestLength, bool firstBlock, int baudIndex);

struct BlockFrame {
    std::vector<std::uint8_t> bytes;  // empty when the block cannot be framed
    int waitMs = 0;
    ReplyRule reply;
};

// Read of `count` registers (values) from register `start`.
BlockFrame BuildBlockRead(const SetpointLink& link, BlockKind kind, int start, int count);
// Write of `values` to registers from `start`; `firstBlock` chooses the I/O block's longer wait.
BlockFrame BuildBlockWrite(const SetpointLink& link, BlockKind kind, int start,
                           std::span<const std::uint16_t> values, bool firstBlock);

// The reply to the read of registers `offset`..`offset + count - 1` of a block (offset counted
// from the block's first register, in whole values-per-frame groups over the ТИРВ protocol):
// checked against `request` and, when good (LinkResult::Good), stored into `block`. A bad reply leaves
// `block` untouched and returns the failed test (the codec's LinkResult).
LinkResult AcceptBlockRead(const SetpointLink& link, std::span<const std::uint8_t> request,
                           std::span<const std::uint8_t> reply, int offset, int count,
                           std::span<std::uint16_t> block);

}  // namespace tirv
