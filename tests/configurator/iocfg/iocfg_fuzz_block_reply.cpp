// Any bytes as the two Modbus read replies of the I/O block (125 registers from 170, then 5 from
// 295, back to back) and as raw register values of either link; a block taken over must encode
// back to the registers it came from.
#include "configurator/iocfg/io_registers.h"
#include "configurator/link/frames.h"

#include <vector>

namespace {

void Decode(const std::vector<std::uint16_t>& regs, tirv::RegisterCoding coding)
{
    const tirv::IoBlockDecode d = tirv::DecodeIoBlock(regs, coding);
    if (d.result != tirv::BlockResult::Ok)
        return;
    const auto back = tirv::IoSettingsRegisters(d.block.image, coding);
    for (std::size_t i = 0; i < back.size(); ++i)
        if (back[i] != regs[i])
            __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const std::size_t firstLength = tirv::ReadReplyLength(tirv::kIoFirstReadCount);
    if (size > firstLength) {
        const auto first = bytes.first(firstLength);
        const auto second = bytes.subspan(firstLength);
        if (tirv::CheckReadReply(first, 1, tirv::Function::ReadRegisters,
                                 tirv::kIoFirstReadCount) == tirv::LinkResult::Good &&
            tirv::CheckReadReply(second, 1, tirv::Function::ReadRegisters,
                                 tirv::kIoSecondReadCount) == tirv::LinkResult::Good) {
            std::vector<std::uint16_t> regs;
            for (std::size_t k = 0; k < tirv::kIoFirstReadCount; ++k)
                regs.push_back(tirv::ReadReplyRegister(first, k));
            for (std::size_t k = 0; k < tirv::kIoSecondReadCount; ++k)
                regs.push_back(tirv::ReadReplyRegister(second, k));
            Decode(regs, tirv::RegisterCoding::Modbus);
        }
    }
    std::vector<std::uint16_t> raw;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        raw.push_back(static_cast<std::uint16_t>(data[i] << 8 | data[i + 1]));
    Decode(raw, tirv::RegisterCoding::Modbus);
    Decode(raw, tirv::RegisterCoding::TextProtocol);
    (void)tirv::IoSettingsAllZero(raw);
    return 0;
}
