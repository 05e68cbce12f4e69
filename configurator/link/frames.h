#pragma once
// Modbus RTU request builders and reply checkers for the relay, with the relay's own function
// codes beside 3 and 16. Pure functions: bytes in, a length or a LinkResult out; no I/O.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace tirv {

// Size of every exchange buffer; builders never need more.
inline constexpr std::size_t kFrameBufferSize = 272;
// The paced exchange reads at most this many reply bytes.
inline constexpr std::size_t kReceiveBufferSize = 255;

// Outcome of a reply check: 0 good, otherwise the first failed test. The numbers are shared by
// both serial formats with different meanings, hence the paired names of equal value.
enum class LinkResult : int {
    Good = 0,
    // Modbus RTU
    AddressMismatch = 1,
    LengthMismatch = 2,
    CrcMismatch = 3,
    Exception = 4,
    FunctionMismatch = 5,
    ByteCountTooLarge = 6,  // reads
    StartMismatch = 6,      // writes (and the 32-bit address of 0x67)
    ByteCountMismatch = 7,  // reads
    CountMismatch = 7,      // writes
    // ТИРВ protocol
    TextNoStart = 1,
    TextNoEnd = 2,
    TextAddressEcho = 3,
    TextCommandEcho = 4,
    TextStartEcho = 5,
    TextCountEcho = 6,
    TextLayoutEcho = 7,  // a separator of the other variant, or the variant-0 start placeholder
    TextTooManyValues = 8,
    TextValueCount = 8,  // more values than a frame carries, or not the count asked for
    TextBeyondDestination = 9,
    // Exception replies with a meaning of their own
    WriteRefused = 24,    // code 4 to 16, 0x65, 0x67
    ArchiveBusy = 25,     // code 5 to 0x41: the relay is writing a new oscillogram
    ServiceException = 40,  // 0x52: 40 + exception code, see ServiceExceptionResult
};

constexpr LinkResult ServiceExceptionResult(std::uint8_t code)
{
    return static_cast<LinkResult>(static_cast<int>(LinkResult::ServiceException) + code);
}

// True for the failures of the link itself (1..11); exception results mean the relay answered.
constexpr bool IsLinkFailure(LinkResult r)
{
    const int v = static_cast<int>(r);
    return v >= 1 && v <= 11;
}

// Function codes the configurator uses.
enum class Function : std::uint8_t {
    ReadRegisters = 0x03,
    WriteRegisters = 0x10,
    RestoreMinimalSet = 0x20,
    ReadArchive = 0x41,
    ClockBroadcast = 0x42,
    ReadJournal = 0x51,
    WriteService = 0x52,
    BootRead = 0x64,
    BootCommand = 0x65,
    BootWrite = 0x67,
};

inline constexpr std::uint8_t kExceptionFlag = 0x80;
inline constexpr std::uint8_t kBroadcastAddress = 0;
inline constexpr std::size_t kExceptionReplyLength = 5;
inline constexpr std::size_t kWriteAckLength = 8;
inline constexpr std::uint16_t kMaxReadCount = 125;
inline constexpr std::uint16_t kMaxWriteCount = 123;
inline constexpr std::size_t kMaxBootWriteData = 256;

constexpr std::size_t ReadReplyLength(std::uint16_t count) { return 2u * count + 5u; }

// Value of register `index` (0-based within the frame's block), e.g. the setpoint catalogue's
// conversion of a stored setpoint into its register form.
using RegisterValueFn = std::function<std::uint16_t(std::size_t index)>;

// Every builder writes one request into `out` and returns its length, or 0 when the arguments
// cannot form a valid frame (count out of range, values missing, `out` too small). Nothing is
// written beyond `out`; on refusal `out` may hold partial bytes.

// 3: start, count 1..125.
std::size_t BuildReadRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                               std::uint16_t start, std::uint16_t count);
// 16: count 1..123 registers from values[0..count-1], low 16 bits of each.
std::size_t BuildWriteRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                                std::uint16_t start, std::uint16_t count,
                                std::span<const std::int32_t> values);
std::size_t BuildWriteRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                                std::uint16_t start, std::uint16_t count,
                                std::span<const std::uint16_t> values);
// 16: count 1..123 registers produced by `value(0..count-1)`.
std::size_t BuildWriteRegisters(std::span<std::uint8_t> out, std::uint8_t address,
                                std::uint16_t start, std::uint16_t count,
                                const RegisterValueFn& value);
// 16: count (even, 2..122) registers from count/2 32-bit values, each low half first.
std::size_t BuildWriteRegisterPairs(std::span<std::uint8_t> out, std::uint8_t address,
                                    std::uint16_t start, std::uint16_t count,
                                    std::span<const std::uint32_t> values);
// 0x20 with one byte 0; the relay does not answer.
std::size_t BuildRestoreMinimalSet(std::span<std::uint8_t> out, std::uint8_t address);
// 0x41 and 0x51: laid out like 3, count 1..125.
std::size_t BuildReadArchive(std::span<std::uint8_t> out, std::uint8_t address,
                             std::uint16_t start, std::uint16_t count);
std::size_t BuildReadJournal(std::span<std::uint8_t> out, std::uint8_t address,
                             std::uint16_t start, std::uint16_t count);
// 0x52: count 1..123 values, laid out like 16.
std::size_t BuildWriteService(std::span<std::uint8_t> out, std::uint8_t address,
                              std::uint16_t start, std::uint16_t count,
                              std::span<const std::uint16_t> values);
// 0x64: laid out like 3, count 1..125.
std::size_t BuildBootRead(std::span<std::uint8_t> out, std::uint8_t address, std::uint16_t start,
                          std::uint16_t count);
// 0x65: count 3, byte count 6 and the 6-byte pattern of `kind` 0..3.
std::size_t BuildBootCommand(std::span<std::uint8_t> out, std::uint8_t address,
                             std::uint16_t start, int kind);
// 0x67: 32-bit memory address and 16-bit data length, both low byte first, then the data
// (at most 256 bytes).
std::size_t BuildBootWrite(std::span<std::uint8_t> out, std::uint8_t address,
                           std::uint32_t memoryAddress, std::span<const std::uint8_t> data);
// 0x42 to address 0; year is the full year, sent as year − 2000 modulo 256.
std::size_t BuildClockBroadcast(std::span<std::uint8_t> out, std::uint8_t day,
                                std::uint8_t month, int year, std::uint8_t hour,
                                std::uint8_t minute, std::uint8_t second);

// Reply checkers. `reply` is exactly the bytes received; bytes beyond the reply length make
// the length test fail. Checks run in a fixed order and the first failure is returned.

// Replies laid out like function 3 (3, 0x41, 0x51, 0x64) to a request of `count` registers.
LinkResult CheckReadReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                          Function function, std::uint16_t count);
// 8-byte acknowledgements echoing start and count (16, 0x52, 0x65).
LinkResult CheckWriteReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                           Function function, std::uint16_t start, std::uint16_t count);
// 8-byte acknowledgement of 0x67 echoing the 32-bit memory address.
LinkResult CheckBootWriteReply(std::span<const std::uint8_t> reply, std::uint8_t address,
                               std::uint32_t memoryAddress);

// The exception code of a 5-byte exception reply (byte 1 with bit 7 set), else 0.
std::uint8_t ReplyExceptionCode(std::span<const std::uint8_t> reply);

// Register k (0-based) of a read reply that passed CheckReadReply.
std::uint16_t ReadReplyRegister(std::span<const std::uint8_t> reply, std::size_t k);

// Splitting a transfer of `total` items into consecutive frames of at most `perFrame` items
// (Modbus blocks, ТИРВ-protocol value groups).
struct Block {
    std::size_t offset = 0;
    std::size_t count = 0;
};
constexpr std::size_t BlockCount(std::size_t total, std::size_t perFrame)
{
    return perFrame == 0 ? 0 : (total + perFrame - 1) / perFrame;
}
constexpr Block BlockAt(std::size_t index, std::size_t total, std::size_t perFrame)
{
    const std::size_t offset = index * perFrame;
    if (perFrame == 0 || offset >= total)
        return {total, 0};
    const std::size_t rest = total - offset;
    return {offset, rest < perFrame ? rest : perFrame};
}

}  // namespace tirv
