#pragma once
// The relay's identity as the configuration page sees it: the type list and its codes, the
// read of registers 131–134 and the writes of the type (131) and the serial number (134) in both
// protocols with their reply waits, the input checks and the frame texts of the connection
// panel. No Qt.
#include "common/relay_family.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/frames.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tirv {

// The type selector lists the family after its empty item 0. The selector item of a code
// (0: not a known type), and the code of an item (0: the empty one).
constexpr int DeviceTypeItem(int code) { return FamilyItem(code); }
constexpr int DeviceTypeCode(int item) { return FamilyCodeOfItem(item); }

// Type code, two unused words, serial number (registers 131–134).
using IdentityRecord = std::array<std::uint16_t, 4>;
inline constexpr std::size_t kIdentityType = 0;
inline constexpr std::size_t kIdentitySerial = 3;
inline constexpr int kSerialDigits = 5;

struct IdentityRequest {
    std::vector<std::uint8_t> frame;  // empty: the settings cannot carry this request
    int waitMs = 0;
    int replyLength = 0;  // Modbus; 0 for a text reply
};

IdentityRequest BuildIdentityReadRequest(const ConnectionSettings& s);
IdentityRequest BuildTypeWriteRequest(const ConnectionSettings& s, int code);
// Modbus only: the ТИРВ protocol has no serial-number write.
IdentityRequest BuildSerialWriteRequest(const ConnectionSettings& s, int serial);
// A write's wait for a request of `length` bytes: (26·L + 120) bit times + 20 ms.
int IdentityWriteWaitMs(std::size_t length, int baudIndex);

LinkResult ParseIdentityReply(const ConnectionSettings& s, std::span<const std::uint8_t> request,
                              std::span<const std::uint8_t> reply, IdentityRecord& out);
LinkResult CheckIdentityWriteReply(const ConnectionSettings& s,
                                   std::span<const std::uint8_t> request,
                                   std::span<const std::uint8_t> reply);

// What the page's fields ask for, checked before anything is sent.
enum class IdentityInputError { None, NoType, NoSerial };
struct IdentityInput {
    IdentityInputError error = IdentityInputError::None;
    int code = 0;
    bool writeSerial = false;
    int serial = 0;
};
// `serialText` counts only while the serial field is enabled; a number above 65535 (the
// register holds 16 bits) is refused like an empty field.
IdentityInput CheckIdentityInput(int item, bool serialEnabled, std::string_view serialText);
// The message text of an input error (UTF-8), nullptr for None.
const char* IdentityInputText(IdentityInputError e);

// The panel's frame fields: "%02x " per byte, the eight bytes of a Modbus read without the last
// space.
std::string FrameBytesText(std::span<const std::uint8_t> bytes, bool modbusRead);

}  // namespace tirv
