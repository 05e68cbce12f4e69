#pragma once
// The STM32 system-memory bootloader over a USART, as ST's application note AN3155 defines it:
// the 0x7F that lets the loader measure the bit rate, each command byte followed by its
// complement, addresses high byte first with an XOR checksum, ACK 0x79 / NACK 0x1F. Builders
// write the bytes of one part of a command exchange into `out` and return their count, 0 when the
// arguments cannot form that part or `out` is too small. Reply checkers take exactly the bytes
// received for that part.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tirv {

inline constexpr std::uint8_t kStmSync = 0x7F;
inline constexpr std::uint8_t kStmAck = 0x79;
inline constexpr std::uint8_t kStmNack = 0x1F;
inline constexpr std::size_t kStmMaxBlock = 256;  // bytes per READ or WRITE MEMORY

// Command codes of AN3155 §2 (table "USART bootloader commands").
enum class StmCommand : std::uint8_t {
    Get = 0x00,
    GetVersion = 0x01,
    GetId = 0x02,
    ReadMemory = 0x11,
    Go = 0x21,
    WriteMemory = 0x31,
    ExtendedErase = 0x44,
    WriteUnprotect = 0x73,
    ReadoutUnprotect = 0x92,
};

// The M relay's controller and loader: STM32F40x/41x (PID 0x413), bootloader version 3.1.
inline constexpr std::uint16_t kStmExpectedPid = 0x0413;
inline constexpr std::uint8_t kStmExpectedVersion = 0x31;

// XOR of the bytes (the checksum of every multi-byte part).
std::uint8_t StmXor(std::span<const std::uint8_t> bytes);

std::size_t BuildStmSync(std::span<std::uint8_t> out);
// Command byte and its complement.
std::size_t BuildStmCommand(std::span<std::uint8_t> out, StmCommand command);
// Four address bytes, high byte first, and their XOR (READ MEMORY, WRITE MEMORY, GO).
std::size_t BuildStmAddress(std::span<std::uint8_t> out, std::uint32_t address);
// READ MEMORY length part: N − 1 and its complement, N = 1 … 256.
std::size_t BuildStmReadLength(std::span<std::uint8_t> out, std::size_t count);
// WRITE MEMORY data part: N − 1, the N bytes and the XOR of both. Flash is written in words, so N
// must be a multiple of 4 (4 … 256).
std::size_t BuildStmWriteData(std::span<std::uint8_t> out, std::span<const std::uint8_t> data);
// EXTENDED ERASE of a sector list: the count − 1 and each sector number (16 bits each, high byte
// first) and the XOR of all of them; 1 … 0xFFF0 sectors (larger counts are special codes).
std::size_t BuildStmEraseSectors(std::span<std::uint8_t> out,
                                 std::span<const std::uint16_t> sectors);
// The sectors first … last inclusive.
std::size_t BuildStmEraseSectorRange(std::span<std::uint8_t> out, std::uint16_t first,
                                     std::uint16_t last);
// EXTENDED ERASE special code 0xFFFF: the whole flash (FF FF 00).
std::size_t BuildStmMassErase(std::span<std::uint8_t> out);

enum class StmReply {
    Good,
    NoAnswer,   // nothing received
    Nack,       // the loader refused
    Short,      // an answer began but is incomplete
    Malformed,  // wrong bytes, or more than the answer holds
};

// One ACK (sync, command, address, length, data and erase parts, GO).
StmReply CheckStmAck(std::span<const std::uint8_t> reply);
// The two ACKs of READOUT UNPROTECT and WRITE UNPROTECT (command accepted, protection removed).
StmReply CheckStmDoubleAck(std::span<const std::uint8_t> reply);

// GET: ACK, N, version, N command codes, ACK.
struct StmGetInfo {
    std::uint8_t version = 0;
    std::uint8_t commandCount = 0;
    std::array<std::uint8_t, 255> commands{};
};
StmReply ParseStmGet(std::span<const std::uint8_t> reply, StmGetInfo& info);
// GET VERSION: ACK, version, two option bytes, ACK.
StmReply ParseStmGetVersion(std::span<const std::uint8_t> reply, std::uint8_t& version);
// GET ID: ACK, N = 1, PID high, PID low, ACK.
StmReply ParseStmGetId(std::span<const std::uint8_t> reply, std::uint16_t& pid);

// Option bytes of the STM32F4 as read by READ MEMORY: 16 bytes from 0x1FFFC000. Byte 1 is the
// read protection level (0xAA: none); bytes 8 and 9 hold nWRP, bit i set when sector i may be
// written (bits 12 … 15 are not sector bits).
inline constexpr std::uint32_t kStmOptionBytesAddress = 0x1FFFC000;
inline constexpr std::size_t kStmOptionBytesLength = 16;
inline constexpr std::uint8_t kStmNoReadProtection = 0xAA;
inline constexpr std::uint16_t kStmSectorBitsMask = 0x0FFF;

struct StmOptionBytes {
    std::uint8_t readProtection = 0;
    std::uint16_t writableSectors = 0;  // nWRP with the non-sector bits cleared
    bool readable() const { return readProtection == kStmNoReadProtection; }
    // True when any sector first … last is write protected.
    bool writeProtected(std::size_t first, std::size_t last) const;
};

// nullopt unless exactly kStmOptionBytesLength bytes are given.
std::optional<StmOptionBytes> DecodeStmOptionBytes(std::span<const std::uint8_t> bytes);

}  // namespace tirv
