#pragma once
// The process-wide connection settings that every exchange reads at its start; owned by the
// connection panel, saved in the program settings file.
#include <array>
#include <cstdint>

namespace tirv {

enum class Channel : int { Rs485 = 0, Usb = 1, Ethernet = 2 };
enum class Protocol : int { Tirv = 0, Modbus = 1 };
enum class Parity : int { None = 0, Even = 1, Odd = 2 };
enum class StopBits : int { One = 0, Two = 1 };

struct ConnectionSettings {
    Channel channel = Channel::Usb;
    int port = 1;                 // "COM%i"
    Protocol protocol = Protocol::Modbus;
    int protocolVariant = 0;      // ТИРВ protocol: 0 "Старая", 1 "Новая"
    int valuesPerFrame = 34;      // ТИРВ protocol, 8..255
    int address = 1;              // 1..255
    int baudIndex = 6;            // index into the baud table (57600)
    Parity parity = Parity::None; // M models only
    StopBits stopBits = StopBits::One;
    int repeatCount = 10;         // 0..1000
    std::array<std::uint8_t, 4> tcpAddress{};  // all zero = not entered
    int tcpPort = 502;
    int bootAddress = 1;
    int bootBaudIndex = 6;
};

}  // namespace tirv
