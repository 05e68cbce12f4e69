#include "configurator/firmware/relay_loader_frames.h"

namespace tirv {

namespace {
// Every 0x65 pattern is written as three registers from register 0.
constexpr std::uint16_t kPatternStart = 0;
constexpr std::uint16_t kPatternRegisters = 3;
constexpr std::uint16_t kProbeStart = 0;
}  // namespace

std::size_t BuildEnterLoader(std::span<std::uint8_t> out, std::uint8_t deviceAddress, int step)
{
    if (step < 0 || step >= kEnterLoaderSteps)
        return 0;
    return BuildBootCommand(out, deviceAddress, kPatternStart, step);
}

LinkResult CheckEnterLoaderReply(std::span<const std::uint8_t> reply, std::uint8_t deviceAddress)
{
    return CheckWriteReply(reply, deviceAddress, Function::BootCommand, kPatternStart,
                           kPatternRegisters);
}

std::size_t BuildLoaderProbe(std::span<std::uint8_t> out)
{
    return BuildBootRead(out, kRelayLoaderAddress, kProbeStart, kLoaderProbeCount);
}

LinkResult CheckLoaderProbeReply(std::span<const std::uint8_t> reply)
{
    return CheckReadReply(reply, kRelayLoaderAddress, Function::BootRead, kLoaderProbeCount);
}

std::size_t BuildEraseBlock(std::span<std::uint8_t> out, std::size_t block)
{
    if (block >= kRelayBlocks.size())
        return 0;
    return BuildBootWrite(out, kRelayLoaderAddress, kRelayBlocks[block].start, {});
}

LinkResult CheckEraseBlockReply(std::span<const std::uint8_t> reply, std::size_t block)
{
    if (block >= kRelayBlocks.size())
        return LinkResult::StartMismatch;
    return CheckBootWriteReply(reply, kRelayLoaderAddress, kRelayBlocks[block].start);
}

std::size_t BuildPageWrite(std::span<std::uint8_t> out, std::uint32_t pageBase,
                           std::span<const std::uint8_t, kRelayPageSize> page)
{
    if (pageBase % kRelayPageSize != 0)
        return 0;
    return BuildBootWrite(out, kRelayLoaderAddress, pageBase, page);
}

LinkResult CheckPageWriteReply(std::span<const std::uint8_t> reply, std::uint32_t pageBase)
{
    return CheckBootWriteReply(reply, kRelayLoaderAddress, pageBase);
}

std::size_t BuildExitLoader(std::span<std::uint8_t> out)
{
    return BuildBootCommand(out, kRelayLoaderAddress, kPatternStart, kExitLoaderPattern);
}

LinkResult CheckExitLoaderReply(std::span<const std::uint8_t> reply)
{
    return CheckWriteReply(reply, kRelayLoaderAddress, Function::BootCommand, kPatternStart,
                           kPatternRegisters);
}

int LoaderProbeWaitMs(std::size_t frameLength, int baud, int initialiseMs)
{
    if (baud <= 0)
        return initialiseMs + 20;
    const long long bits = 13LL * static_cast<long long>(frameLength) + 237;
    return static_cast<int>(bits * 1000 / baud) + 20 + initialiseMs;
}

}  // namespace tirv
