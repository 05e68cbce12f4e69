#pragma once
// How the I/O and LED settings lie in the relay's registers. Settings words carry offsets so that
// a zero register (empty memory) never reads as a valid setting; Modbus writes the offsets with
// the 0x8000 mark, the ТИРВ protocol without it.
//   I/O, registers 170..297: input n function + 0x80C8, level + 0x8055, two delays as they are,
//        output n signal + 0x8064, mode + 0x805A, two times; 298/299 live input/output states.
//   LED, 155 (5 LEDs) or 146 (8 LEDs): signal + 100, mode + 80, time; Modbus writes add 0x8000
//        to the first two, reads only remove 100 and 80.
#include "configurator/iocfg/io_image.h"
#include "configurator/iocfg/led_image.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tirv {

enum class RegisterCoding { Modbus, TextProtocol };

inline constexpr std::uint16_t kIoFirstRegister = 170;
inline constexpr int kIoSettingsRegisters = 128;  // 170..297, what a write sends
inline constexpr int kIoBlockRegisters = 130;     // 170..299, what a read fetches
inline constexpr int kIoInputStateIndex = 128;    // register 298 within the block
inline constexpr int kIoOutputStateIndex = 129;   // register 299
// Modbus carries the block in two requests each: reads 125 from 170 then 5 from 295, writes 123
// from 170 then 5 from 293.
inline constexpr std::uint16_t kIoFirstReadCount = 125;
inline constexpr std::uint16_t kIoSecondReadStart = 295;
inline constexpr std::uint16_t kIoSecondReadCount = 5;
inline constexpr std::uint16_t kIoFirstWriteCount = 123;
inline constexpr std::uint16_t kIoSecondWriteStart = 293;
inline constexpr std::uint16_t kIoSecondWriteCount = 5;

inline constexpr std::uint16_t kLedFirstRegisterNonM = 155;
inline constexpr std::uint16_t kLedFirstRegisterM = 146;
inline constexpr std::uint16_t kModbusWriteMark = 0x8000;

// Offset added to word w of an input / output entry when it goes to the relay.
std::uint16_t IoInputOffset(int word, RegisterCoding coding);
std::uint16_t IoOutputOffset(int word, RegisterCoding coding);

// Registers 170..297 for a write, offsets added. The image must have passed ValidateIoImage.
std::array<std::uint16_t, kIoSettingsRegisters> IoSettingsRegisters(const IoImage& image,
                                                                    RegisterCoding coding);

// True when every settings register 170..297 is zero: the relay holds no I/O records. The live
// states 298/299 do not count (an input may be active on an unconfigured relay).
bool IoSettingsAllZero(std::span<const std::uint16_t> block);

// Bit n of register 298 / 299: input / output n + 1 active.
constexpr bool IoStateBit(std::uint16_t stateRegister, int channel)
{
    return channel >= 0 && channel < kIoChannels && ((stateRegister >> channel) & 1u) != 0;
}

enum class BlockResult {
    Ok,
    Empty,        // every settings register zero: offer the minimal set
    Invalid,      // a setting outside its range after the offsets were removed
    WrongLength,  // not the number of registers the block has
};

struct IoBlock {
    IoImage image;
    std::uint16_t inputStates = 0;
    std::uint16_t outputStates = 0;
};

struct IoBlockDecode {
    BlockResult result = BlockResult::WrongLength;
    IoBlock block;  // meaningful only for Ok
    IoCheck check;  // the offending entry for Invalid
};

// Registers 170..299 as read (130 values, either link) → settings and states. A register below
// its offset can never be a valid setting and is refused like any other out-of-range value.
IoBlockDecode DecodeIoBlock(std::span<const std::uint16_t> block, RegisterCoding coding);

// ---- LEDs -------------------------------------------------------------------------------------
constexpr std::uint16_t LedFirstRegister(bool mModel)
{
    return mModel ? kLedFirstRegisterM : kLedFirstRegisterNonM;
}
inline constexpr std::uint16_t kLedSignalOffset = 100;
inline constexpr std::uint16_t kLedModeOffset = 80;

// The 15 or 24 registers of the first `ledCount` LEDs for a write.
std::vector<std::uint16_t> LedRegisters(const LedImage& image, int ledCount, RegisterCoding coding);

struct LedBlockDecode {
    BlockResult result = BlockResult::WrongLength;
    LedImage image;  // the LEDs read; entries beyond the block stay 0
    LedCheck check;
};

// 15 or 24 registers as read (5 or 8 LEDs, as `ledCount` says) → LED settings.
LedBlockDecode DecodeLedBlock(std::span<const std::uint16_t> block, int ledCount);

// The status of a decoded serial read that is not taken over ("" for Ok and WrongLength).
const char* IoBlockStatusText(BlockResult result);
const char* LedBlockStatusText(BlockResult result);

}  // namespace tirv
