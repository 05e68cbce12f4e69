#pragma once
// The relay's register map as the configurator's pages use it, the line speeds, and the waiting
// times of the paced exchange. Values of settings registers carry a 0x8000 bias.
#include <array>
#include <cstddef>
#include <cstdint>

namespace tirv {

struct RegisterBlock {
    std::uint16_t start = 0;
    std::uint16_t count = 0;
    constexpr std::uint16_t end() const { return static_cast<std::uint16_t>(start + count); }
};

namespace regs {

// Settings registers are written as value + bias (Modbus only; the ТИРВ protocol omits it).
inline constexpr std::uint16_t kSettingsBias = 0x8000;

// Setpoint image, register order of the catalogue.
inline constexpr RegisterBlock kSetpoints{0, 115};
inline constexpr RegisterBlock kSetpointsM{0, 127};

// Device-side communication settings.
inline constexpr RegisterBlock kCommSettings{115, 3};    // address, baud code, protocol code
inline constexpr RegisterBlock kCommSettingsM{365, 19};
inline constexpr std::uint16_t kBaudRs485M = 367;        // single-register baud change
inline constexpr std::uint16_t kBaudUsbM = 372;
inline constexpr std::uint16_t kSingleBaudFirmwareAbove = 121;  // version × 100 must exceed
inline constexpr std::uint16_t kBaudCodeOffset = 25;      // code = bias + 25 + baud index
inline constexpr std::uint16_t kProtocolCodeOffset = 65;  // code = bias + 65 + protocol
inline constexpr std::uint16_t kParityCodeOffset = 18;
inline constexpr std::uint16_t kStopBitsCodeOffset = 21;
inline constexpr std::uint16_t kModeCodeOffset = 78;

// Device identity, read by every Modbus link check.
inline constexpr RegisterBlock kIdentity{130, 5};
inline constexpr std::uint16_t kFamilySignature = 130;
inline constexpr std::uint16_t kModelCode = 131;
inline constexpr std::uint16_t kFirmwareVersion = 132;  // version × 100
inline constexpr std::uint16_t kBuild = 133;
inline constexpr std::uint16_t kSerialNumber = 134;
inline constexpr RegisterBlock kDeviceType{131, 4};     // model, version, build, serial
inline constexpr std::uint16_t kSignatureNonM = 0xAAAA;
inline constexpr std::uint16_t kSignatureM = 0xAABB;

// Breaker remote control, one register each.
inline constexpr std::uint16_t kBreakerCommand = 135;
inline constexpr std::uint16_t kBreakerUnblock = 136;
inline constexpr std::uint16_t kBreakerClose = 0x8000;
inline constexpr std::uint16_t kBreakerOpen = 1;
inline constexpr std::uint16_t kBreakerUnblockValue = 1;

// LED settings: three registers per LED.
inline constexpr RegisterBlock kLeds{155, 15};
inline constexpr RegisterBlock kLedsM{146, 24};

// Inputs and outputs: settings 170–297, live states 298 and 299.
inline constexpr RegisterBlock kIo{170, 130};
inline constexpr RegisterBlock kIoSettings{170, 128};
inline constexpr std::uint16_t kInputStates = 298;
inline constexpr std::uint16_t kOutputStates = 299;

// Measurements: signed 16-bit values (non-M) or IEEE-754 singles in two registers (M).
inline constexpr RegisterBlock kMeasurements{300, 25};
inline constexpr RegisterBlock kMeasurementsM{800, 88};

// Clock: read day … fraction, set day, month, year − 2000, hour, minute, second.
inline constexpr RegisterBlock kClockRead{350, 7};
inline constexpr RegisterBlock kClockSet{357, 6};

// Journals: emergency 10 records of 34 registers; working 120 records of 5.
inline constexpr RegisterBlock kEmergencyJournal{400, 340};
inline constexpr std::uint16_t kEmergencyRecordRegisters = 34;
inline constexpr RegisterBlock kWorkingJournal{2100, 600};
inline constexpr std::uint16_t kWorkingRecordRegisters = 5;
inline constexpr std::uint16_t kWorkingSettingsRecords = 20;  // records 0–19: setting changes

// Oscillograph memory, read with 0x41 (its own address space).
inline constexpr RegisterBlock kOscillographSettings{9, 8};
inline constexpr RegisterBlock kOscillogram{0, 11150};

// Exception codes the pages tell apart.
inline constexpr std::uint8_t kExceptionRefused = 4;      // breaker command refused
inline constexpr std::uint8_t kExceptionArchiveBusy = 5;  // a new oscillogram is being written

// Non-M bootloader, always at address 1.
inline constexpr std::uint8_t kBootAddress = 1;

}  // namespace regs

// Line speeds by baud index.
inline constexpr std::array<std::uint32_t, 10> kBaudRates{1200,  2400,   4800,   9600,   19200,
                                                          38400, 57600,  115200, 230400, 460800};
inline constexpr int kBaudCountNonM = 7;   // indexes 0–6
inline constexpr int kBaudCountM = 10;     // indexes 0–9
inline constexpr int kUsbFirstBaudIndex = 6;  // USB offers 6–9; its item k is index k + 6
inline constexpr int kDefaultBaudIndex = 6;   // 57600

// Per-baud waits in milliseconds.
inline constexpr std::array<int, 10> kTextReplyWaitMs{700, 400, 200, 100, 100, 80, 60, 30, 20, 10};
inline constexpr std::array<int, 10> kModbusCharGapMs{20, 10, 5, 3, 2, 1, 1, 1, 1, 1};
inline constexpr std::array<int, 10> kLinkCheckWaitMs{280, 140, 70, 35, 20, 20, 20, 20, 20, 20};
// Shortest polling period of the measurement and I/O-state pages by baud index; the one-shot
// hand-over timers 476–479 wait this long for the poll in flight.
inline constexpr std::array<int, 10> kMinPollPeriodMs{850, 440, 350, 300, 250,
                                                      200, 150, 125, 100, 75};
// The ТИРВ protocol ends a read at a character gap of this length at every speed.
inline constexpr int kTextCharGapMs = 10;

constexpr bool IsValidBaudIndex(int index)
{
    return index >= 0 && index < static_cast<int>(kBaudRates.size());
}

// The baud indexes a speed selector offers, first to one past the last: non-M models 0–6, M
// models 0–9, the USB channel (M models only) 6–9.
struct BaudIndexRange {
    int first = 0;
    int end = 0;
};
constexpr BaudIndexRange OfferedBaudIndexes(bool mModel, bool usb)
{
    if (usb)
        return {kUsbFirstBaudIndex, kBaudCountM};
    return {0, mModel ? kBaudCountM : kBaudCountNonM};
}

// An index outside the table counts as the slowest speed, so a wait is never too short.
std::uint32_t BaudRate(int baudIndex);
int TextReplyWaitMs(int baudIndex);
int ModbusCharGapMs(int baudIndex);
int LinkCheckWaitMs(int baudIndex);

// Paced waits, a byte counted as 13 bit times, truncated to whole milliseconds.
// General: a request of L bytes answered by R bytes.
int ReplyWaitMs(std::size_t requestLength, std::size_t replyLength, int baudIndex);
// Modbus read of n registers (reply 2n + 5 bytes).
int ReadWaitMs(std::size_t requestLength, std::size_t registerCount, int baudIndex);
// Modbus write answered by the 8-byte acknowledgement.
int WriteWaitMs(std::size_t requestLength, int baudIndex);
// The restore-minimal-set command, which has no reply.
int RestoreMinimalSetWaitMs(std::size_t requestLength, int baudIndex);
// The device-type page's four-register read, which keeps a reply allowance of its own.
int DeviceTypeReadWaitMs(std::size_t requestLength, int baudIndex);
// Worker-thread steps: sending L bytes, and waiting for the first of R reply bytes.
int ThreadWriteWaitMs(std::size_t requestLength, int baudIndex);
int ThreadReplyWaitMs(std::size_t replyLength, int baudIndex);

}  // namespace tirv
