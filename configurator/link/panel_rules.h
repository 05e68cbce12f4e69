#pragma once
// The connection panel's rules without any widget: the relay's communication-settings register
// block in its three forms, the checks of the Ethernet address and port fields, the hexadecimal
// MAC fields, the device identity read by a link check, and the model names.
#include "common/relay_family.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tirv::panel {

// The device-type selector lists the family (item 0 is the empty item).
// Selector item of a model code: 1..7, 0 for an unknown code.
constexpr int ModelItem(int code) { return FamilyItem(code); }
constexpr int ModelCodeOfItem(int item) { return FamilyCodeOfItem(item); }

// What a relay's communication settings hold on its side (the group "Настройки связи ТИРВ").
struct DeviceSettings {
    int rsProtocol = 1;      // 0 ТИРВ protocol, 1 Modbus
    int rsAddress = 1;
    int rsBaudIndex = 6;
    int parity = 0;          // 0 none, 1 even, 2 odd
    int stopBits = 0;        // 0 one, 1 two
    int mode = 0;            // 0 "Ведомый", 1 "Ведущий"
    bool timeSync = false;
    int usbBaudIndex = 6;    // 6..9
    bool ethernetOn = false;
    std::array<std::uint8_t, 4> ip{};
    int tcpPort = 502;
    std::array<std::uint8_t, 6> mac{};  // bytes 1..6
    std::array<std::uint8_t, 4> gateway{};
    std::array<std::uint8_t, 4> mask{};
};

// Codes of the settings registers.
std::uint16_t BaudCode(int baudIndex);
std::uint16_t ProtocolCode(int protocol);

// Non-M block at 115: address, baud code, protocol code.
std::array<std::uint16_t, 3> EncodeNonM(int address, int baudIndex, int protocol);
// M block at 365, 19 registers.
std::array<std::uint16_t, 19> EncodeM(const DeviceSettings& s);
// The inverse of the two encodings; nullopt when a code lies outside its table.
std::optional<DeviceSettings> DecodeNonM(std::span<const std::uint16_t> regs);
std::optional<DeviceSettings> DecodeM(std::span<const std::uint16_t> regs);

// How a new line speed is written into the relay.
enum class RateWrite {
    NonMBlock,  // three registers at 115
    MBlock,     // the whole 19-register block at 365
    MSingle,    // one register at 367 (RS-485) or 372 (USB); firmware above 1.21
};
RateWrite RateWriteFor(bool mModel, int firmwareX100);

// Ethernet address and port fields, checked in this order before any TCP exchange.
enum class TcpFieldError { None, AddressBlank, AddressIncomplete, PortEmpty, PortInvalid };
struct TcpFieldCheck {
    TcpFieldError error = TcpFieldError::None;
    int octet = 0;  // the octet that gets the focus (address errors)
    std::array<std::uint8_t, 4> address{};
    int port = 0;
};
TcpFieldCheck CheckTcpFields(const std::array<std::string, 4>& octets, std::string_view port);

// A two-digit hexadecimal field: one or two of "0"–"9", "A"–"F" give the value; any other
// character makes the whole field 0; an empty field or one of three or more characters is
// invalid (nullopt).
std::optional<int> ParseHexByte(std::string_view text);

// A decimal field: nullopt when empty or not all digits; the value otherwise (capped so that a
// long run of digits cannot overflow).
std::optional<long> ParseDecimal(std::string_view text);

// Registers 130–134 read by a Modbus link check.
struct Identity {
    bool mModel = false;
    int modelCode = 0;
    int firmwareX100 = 0;
    int build = 0;
    int serial = 0;
};
// nullopt when the family signature is neither 0xAAAA nor 0xAABB.
std::optional<Identity> DecodeIdentity(std::span<const std::uint16_t, 5> regs);
// The model whose tables the program takes for a relay, from its family signature and code
// together: a code of the other family is moved into the signature's family (706 under the M
// signature is 716); nullopt when the code is not one of the family at all.
std::optional<int> ModelFromIdentity(const Identity& id);

}  // namespace tirv::panel
