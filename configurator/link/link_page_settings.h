#pragma once
// What the link-settings page keeps from one run to the next besides the connection settings:
// its Ethernet fields and option boxes as they stood (the program settings file, words 366–391).
#include <array>
#include <cstdint>

namespace tirv {

struct LinkPageSettings {
    bool ipValid = false;              // all four fields of the address were filled
    std::array<std::uint8_t, 4> ip{};  // most significant first
    int tcpPort = 502;                 // 0 when the field was empty or above 65535
    bool macPresent = false;
    std::array<std::uint8_t, 6> mac{};
    bool gatewayValid = false;
    std::array<std::uint8_t, 4> gateway{};
    bool maskValid = false;
    std::array<std::uint8_t, 4> mask{};
    bool masterTimeSync = false;   // check box 2011
    bool ethernetOn = false;       // check box 2066 "Ethernet вкл."
    bool readAllChannels = false;  // check box 3005
};

}  // namespace tirv
