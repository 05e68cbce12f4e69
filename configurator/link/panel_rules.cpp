#include "configurator/link/panel_rules.h"

#include "configurator/link/registers.h"

#include <algorithm>

namespace tirv::panel {

namespace {

constexpr std::uint16_t kBias = regs::kSettingsBias;

std::uint16_t Pair(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>(high << 8 | low);
}

// A code of the form bias + offset + item, item 0..count-1.
std::optional<int> Item(std::uint16_t code, int offset, int count)
{
    const int item = int(code) - int(kBias) - offset;
    if (item < 0 || item >= count)
        return std::nullopt;
    return item;
}

}  // namespace

std::uint16_t BaudCode(int baudIndex)
{
    return static_cast<std::uint16_t>(kBias + regs::kBaudCodeOffset + baudIndex);
}

std::uint16_t ProtocolCode(int protocol)
{
    return static_cast<std::uint16_t>(kBias + regs::kProtocolCodeOffset + protocol);
}

std::array<std::uint16_t, 3> EncodeNonM(int address, int baudIndex, int protocol)
{
    return {static_cast<std::uint16_t>(address), BaudCode(baudIndex), ProtocolCode(protocol)};
}

std::array<std::uint16_t, 19> EncodeM(const DeviceSettings& s)
{
    const auto code = [](int offset, int item) {
        return static_cast<std::uint16_t>(kBias + offset + item);
    };
    return {
        ProtocolCode(s.rsProtocol),
        static_cast<std::uint16_t>(s.rsAddress),
        BaudCode(s.rsBaudIndex),
        code(regs::kParityCodeOffset, s.parity),
        code(regs::kStopBitsCodeOffset, s.stopBits),
        code(regs::kModeCodeOffset, s.mode),
        code(0, s.timeSync ? 1 : 0),
        BaudCode(s.usbBaudIndex),
        code(0, s.ethernetOn ? 1 : 0),
        Pair(s.ip[2], s.ip[3]),
        Pair(s.ip[0], s.ip[1]),
        static_cast<std::uint16_t>(s.tcpPort),
        Pair(s.mac[4], s.mac[5]),
        Pair(s.mac[2], s.mac[3]),
        Pair(s.mac[0], s.mac[1]),
        Pair(s.gateway[2], s.gateway[3]),
        Pair(s.gateway[0], s.gateway[1]),
        Pair(s.mask[2], s.mask[3]),
        Pair(s.mask[0], s.mask[1]),
    };
}

std::optional<DeviceSettings> DecodeNonM(std::span<const std::uint16_t> r)
{
    if (r.size() < 3)
        return std::nullopt;
    const auto baud = Item(r[1], regs::kBaudCodeOffset, kBaudCountNonM);
    const auto protocol = Item(r[2], regs::kProtocolCodeOffset, 2);
    if (!baud || !protocol || r[0] < 1 || r[0] > 255)
        return std::nullopt;
    DeviceSettings s;
    s.rsAddress = r[0];
    s.rsBaudIndex = *baud;
    s.rsProtocol = *protocol;
    return s;
}

std::optional<DeviceSettings> DecodeM(std::span<const std::uint16_t> r)
{
    if (r.size() < 19)
        return std::nullopt;
    const auto protocol = Item(r[0], regs::kProtocolCodeOffset, 2);
    const auto baud = Item(r[2], regs::kBaudCodeOffset, kBaudCountM);
    const auto parity = Item(r[3], regs::kParityCodeOffset, 3);
    const auto stop = Item(r[4], regs::kStopBitsCodeOffset, 2);
    const auto mode = Item(r[5], regs::kModeCodeOffset, 2);
    const auto sync = Item(r[6], 0, 2);
    const auto usb = Item(r[7], regs::kBaudCodeOffset + kUsbFirstBaudIndex,
                          kBaudCountM - kUsbFirstBaudIndex);
    const auto eth = Item(r[8], 0, 2);
    if (!protocol || !baud || !parity || !stop || !mode || !sync || !usb || !eth)
        return std::nullopt;
    DeviceSettings s;
    s.rsProtocol = *protocol;
    s.rsAddress = r[1];
    s.rsBaudIndex = *baud;
    s.parity = *parity;
    s.stopBits = *stop;
    s.mode = *mode;
    s.timeSync = *sync == 1;
    s.usbBaudIndex = *usb + kUsbFirstBaudIndex;
    s.ethernetOn = *eth == 1;
    const auto hi = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
    const auto lo = [](std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); };
    s.ip = {hi(r[10]), lo(r[10]), hi(r[9]), lo(r[9])};
    s.tcpPort = r[11];
    s.mac = {hi(r[14]), lo(r[14]), hi(r[13]), lo(r[13]), hi(r[12]), lo(r[12])};
    s.gateway = {hi(r[16]), lo(r[16]), hi(r[15]), lo(r[15])};
    s.mask = {hi(r[18]), lo(r[18]), hi(r[17]), lo(r[17])};
    return s;
}

RateWrite RateWriteFor(bool mModel, int firmwareX100)
{
    if (!mModel)
        return RateWrite::NonMBlock;
    return firmwareX100 > regs::kSingleBaudFirmwareAbove ? RateWrite::MSingle : RateWrite::MBlock;
}

std::optional<long> ParseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

TcpFieldCheck CheckTcpFields(const std::array<std::string, 4>& octets, std::string_view port)
{
    TcpFieldCheck out;
    const bool allBlank = std::all_of(octets.begin(), octets.end(),
                                      [](const std::string& o) { return o.empty(); });
    if (allBlank) {
        out.error = TcpFieldError::AddressBlank;
        return out;
    }
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const auto v = ParseDecimal(octets[i]);
        if (!v || *v > 255) {
            out.error = TcpFieldError::AddressIncomplete;
            out.octet = int(i);
            return out;
        }
        out.address[i] = static_cast<std::uint8_t>(*v);
    }
    if (port.empty()) {
        out.error = TcpFieldError::PortEmpty;
        return out;
    }
    const auto p = ParseDecimal(port);
    if (!p || *p == 0 || *p > 65535) {
        out.error = TcpFieldError::PortInvalid;
        return out;
    }
    out.port = int(*p);
    return out;
}

std::optional<int> ParseHexByte(std::string_view text)
{
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int v = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return 0;
        v = v * 16 + d;
    }
    return v;
}

std::optional<Identity> DecodeIdentity(std::span<const std::uint16_t, 5> r)
{
    if (r[0] != regs::kSignatureNonM && r[0] != regs::kSignatureM)
        return std::nullopt;
    Identity id;
    id.mModel = r[0] == regs::kSignatureM;
    id.modelCode = r[1];
    id.firmwareX100 = r[2];
    id.build = r[3];
    id.serial = r[4];
    return id;
}

std::optional<int> ModelFromIdentity(const Identity& id)
{
    int code = id.modelCode;
    if (!ModelItem(code))
        return std::nullopt;
    const bool codeIsM = IsMModel(code);
    if (id.mModel && !codeIsM)
        code += kMModelCodeStep;
    else if (!id.mModel && codeIsM)
        code -= kMModelCodeStep;
    if (!ModelItem(code))
        return std::nullopt;  // 306 has no M modification
    return code;
}

}  // namespace tirv::panel
