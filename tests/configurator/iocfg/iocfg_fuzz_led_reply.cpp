// Any bytes as a Modbus read reply of the LED block (15 or 24 registers) and as raw register
// values; LEDs taken over must encode back (ТИРВ-protocol coding) to the registers read.
#include "configurator/iocfg/io_registers.h"
#include "configurator/link/frames.h"

#include <vector>

namespace {

void Decode(const std::vector<std::uint16_t>& regs, int leds)
{
    const tirv::LedBlockDecode d = tirv::DecodeLedBlock(regs, leds);
    if (d.result != tirv::BlockResult::Ok)
        return;
    if (tirv::LedRegisters(d.image, leds, tirv::RegisterCoding::TextProtocol) != regs)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    for (int leds : {tirv::kLedCountNonM, tirv::kLedCountM}) {
        const auto count = static_cast<std::uint16_t>(tirv::LedWordCount(leds));
        if (tirv::CheckReadReply(bytes, 1, tirv::Function::ReadRegisters, count) ==
            tirv::LinkResult::Good) {
            std::vector<std::uint16_t> regs;
            for (std::size_t k = 0; k < count; ++k)
                regs.push_back(tirv::ReadReplyRegister(bytes, k));
            Decode(regs, leds);
        }
    }
    std::vector<std::uint16_t> raw;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        raw.push_back(static_cast<std::uint16_t>(data[i] << 8 | data[i + 1]));
    Decode(raw, size / 2 == 15 ? tirv::kLedCountNonM : tirv::kLedCountM);
    return 0;
}
