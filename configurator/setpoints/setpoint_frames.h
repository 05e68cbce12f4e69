#pragma once
// The frames of the setpoint read and write, block by block, and what is done with each reply.
// Pure functions over the codec of the link: the operation (setpoint_transfer.h) only moves the
// bytes. The setpoint block starts at register 0; over Modbus a read block is at most 125
// registers and a write block at most 123, over the ТИРВ protocol a block is one group of values
// per frame.
#include "configurator/link/connection_settings.h"
#include "configurator/link/reply_completion.h"
#include "configurator/link/text_frames.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

// What a setpoint transfer needs of the connection settings, read once at its start.
struct SetpointLink {
    bool text = false;  // ТИРВ protocol instead of Modbus RTU
    TextFraming framing;
    std::uint8_t address = 1;
    int baudIndex = 6;
};
SetpointLink SetpointLinkFor(const ConnectionSettings& settings);

// Registers (or values) moved per block of a read or a write.
int SetpointReadBlockSize(const SetpointLink& link);
int SetpointWriteBlockSize(const SetpointLink& link);

// One request frame with the time to wait for its reply and the shape of that reply.
struct SetpointFrame {
    std::vector<std::uint8_t> bytes;  // empty when the block cannot be framed
    int waitMs = 0;
    ReplyRule reply;
};

// Read of `count` registers from register `start`.
SetpointFrame BuildSetpointRead(const SetpointLink& link, int start, int count);
// Write of registers start..start+count-1, taken from `image` through the register order and
// the conversion of the wire.
SetpointFrame BuildSetpointWrite(const SetpointLink& link, const ModelProfile& p,
                                 const SetpointImage& image, int start, int count);
// The request that makes the relay store its own minimal setpoint set (Modbus only); no reply.
SetpointFrame BuildMinimalSetRequest(const SetpointLink& link);

// The reply to a read block: checked against its request and, when good (LinkResult::Good), stored
// through the register order into `check`. `nonZero` is set when a Modbus register of the block is
// not 0 (over the ТИРВ protocol it is left alone). A bad reply leaves `check` untouched and
// returns the failed test (the codec's LinkResult).
LinkResult AcceptSetpointRead(const SetpointLink& link, const ModelProfile& p,
                              std::span<const std::uint8_t> request,
                              std::span<const std::uint8_t> reply, int start, int count,
                              SetpointImage& check, bool& nonZero);
// The acknowledgement of a write block: 0 good, else the failed test.
LinkResult AcceptSetpointWriteAck(const SetpointLink& link, std::span<const std::uint8_t> request,
                                  std::span<const std::uint8_t> reply, int start, int count);

// Registers received by the Modbus TCP transfer (register k = bytes 2k low, 2k+1 high) into
// `check`; false when fewer than the profile's image words arrived (`check` then untouched).
bool TcpRegistersToImage(const ModelProfile& p, std::span<const std::uint8_t> bytes,
                         SetpointImage& check);

// How a complete read ends.
enum class ReadVerdict {
    Empty,     // Modbus read of nothing but zeros: the relay holds no setpoints
    Rejected,  // the check failed: the setpoint image stays as it was
    Accepted,  // the check image becomes the setpoint image
};
ReadVerdict JudgeSetpointRead(const ModelProfile& p, const SetpointImage& check, bool text,
                              bool nonZero);

}  // namespace tirv
