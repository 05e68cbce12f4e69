#include "configurator/iocfg/io_registers.h"

#include "configurator/iocfg/io_texts.h"

#include <algorithm>

namespace tirv {
namespace {

// Modbus offsets per entry word; the ТИРВ protocol uses them less the 0x8000 mark.
constexpr std::array<std::uint16_t, kIoEntryWords> kInputOffsets = {0x80C8, 0x8055, 0, 0};
constexpr std::array<std::uint16_t, kIoEntryWords> kOutputOffsets = {0x8064, 0x805A, 0, 0};
constexpr std::array<std::uint16_t, kLedEntryWords> kLedOffsets = {kLedSignalOffset, kLedModeOffset,
                                                                   0};

std::uint16_t Unmarked(std::uint16_t offset, RegisterCoding coding)
{
    return coding == RegisterCoding::Modbus
               ? offset
               : static_cast<std::uint16_t>(offset & ~kModbusWriteMark);
}

// A register less its offset; a register below the offset becomes a value no rule accepts.
std::uint32_t Remove(std::uint16_t reg, std::uint16_t offset)
{
    return reg >= offset ? static_cast<std::uint32_t>(reg - offset) : 0xFFFFFFFFu;
}

}  // namespace

std::uint16_t IoInputOffset(int word, RegisterCoding coding)
{
    return Unmarked(kInputOffsets[static_cast<std::size_t>(word)], coding);
}

std::uint16_t IoOutputOffset(int word, RegisterCoding coding)
{
    return Unmarked(kOutputOffsets[static_cast<std::size_t>(word)], coding);
}

std::array<std::uint16_t, kIoSettingsRegisters> IoSettingsRegisters(const IoImage& image,
                                                                    RegisterCoding coding)
{
    std::array<std::uint16_t, kIoSettingsRegisters> regs{};
    for (int i = 0; i < kIoTableWords; ++i) {
        const int w = i % kIoEntryWords;
        regs[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>(image.inputs[i] + IoInputOffset(w, coding));
        regs[static_cast<std::size_t>(kIoTableWords + i)] =
            static_cast<std::uint16_t>(image.outputs[i] + IoOutputOffset(w, coding));
    }
    return regs;
}

bool IoSettingsAllZero(std::span<const std::uint16_t> block)
{
    const std::size_t n = std::min<std::size_t>(block.size(), kIoSettingsRegisters);
    return std::all_of(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n),
                       [](std::uint16_t r) { return r == 0; });
}

IoBlockDecode DecodeIoBlock(std::span<const std::uint16_t> block, RegisterCoding coding)
{
    IoBlockDecode out;
    if (block.size() != kIoBlockRegisters)
        return out;
    if (IoSettingsAllZero(block)) {
        out.result = BlockResult::Empty;
        return out;
    }
    IoImage image;
    for (int i = 0; i < kIoTableWords; ++i) {
        const int w = i % kIoEntryWords;
        image.inputs[i] = Remove(block[static_cast<std::size_t>(i)], IoInputOffset(w, coding));
        image.outputs[i] =
            Remove(block[static_cast<std::size_t>(kIoTableWords + i)], IoOutputOffset(w, coding));
    }
    out.check = ValidateIoImage(image);
    if (!out.check.ok()) {
        out.result = BlockResult::Invalid;
        return out;
    }
    out.result = BlockResult::Ok;
    out.block.image = image;
    out.block.inputStates = block[kIoInputStateIndex];
    out.block.outputStates = block[kIoOutputStateIndex];
    return out;
}

std::vector<std::uint16_t> LedRegisters(const LedImage& image, int ledCount, RegisterCoding coding)
{
    const int count = std::clamp(ledCount, 0, kLedEntries);
    std::vector<std::uint16_t> regs;
    regs.reserve(static_cast<std::size_t>(LedWordCount(count)));
    for (int led = 0; led < count; ++led) {
        for (int w = 0; w < kLedEntryWords; ++w) {
            std::uint32_t v = image.at(led, w) + kLedOffsets[static_cast<std::size_t>(w)];
            if (coding == RegisterCoding::Modbus && w != LedTime)
                v += kModbusWriteMark;
            regs.push_back(static_cast<std::uint16_t>(v));
        }
    }
    return regs;
}

LedBlockDecode DecodeLedBlock(std::span<const std::uint16_t> block, int ledCount)
{
    LedBlockDecode out;
    if (ledCount < 0 || ledCount > kLedEntries ||
        block.size() != static_cast<std::size_t>(LedWordCount(ledCount)))
        return out;
    if (std::all_of(block.begin(), block.end(), [](std::uint16_t r) { return r == 0; })) {
        out.result = BlockResult::Empty;
        return out;
    }
    LedImage image;
    for (std::size_t i = 0; i < block.size(); ++i)
        image.words[i] = Remove(block[i], kLedOffsets[i % kLedEntryWords]);
    out.check = ValidateLedImage(image, ledCount);
    if (!out.check.ok()) {
        out.result = BlockResult::Invalid;
        return out;
    }
    out.result = BlockResult::Ok;
    out.image = image;
    return out;
}

const char* IoBlockStatusText(BlockResult result)
{
    switch (result) {
        case BlockResult::Empty:
            return io_texts::kIoReadEmptyStatus;
        case BlockResult::Invalid:
            return io_texts::kIoReadInvalid;
        default:
            return "";
    }
}

const char* LedBlockStatusText(BlockResult result)
{
    switch (result) {
        case BlockResult::Empty:
            return io_texts::kLedReadEmptyStatus;
        case BlockResult::Invalid:
            return io_texts::kLedReadInvalid;
        default:
            return "";
    }
}

}  // namespace tirv
