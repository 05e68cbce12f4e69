#include "configurator/firmware/flash_layout.h"

namespace tirv {

std::optional<std::size_t> RelayBlockOf(std::uint32_t address)
{
    for (std::size_t i = 0; i < kRelayBlocks.size(); ++i)
        if (address >= kRelayBlocks[i].start && address < kRelayBlocks[i].end())
            return i;
    return std::nullopt;
}

std::optional<std::size_t> StmSectorOf(std::uint32_t address)
{
    if (address < kStmFlashStart || address > kStmFlashLast)
        return std::nullopt;
    const std::uint32_t offset = address - kStmFlashStart;
    for (std::size_t i = 0; i < kStmSectorLastOffsets.size(); ++i)
        if (offset <= kStmSectorLastOffsets[i])
            return i;
    return std::nullopt;
}

std::uint32_t StmSectorStart(std::size_t index)
{
    return kStmFlashStart + (index == 0 ? 0 : kStmSectorLastOffsets[index - 1] + 1);
}

std::uint32_t StmSectorSize(std::size_t index)
{
    return kStmFlashStart + kStmSectorLastOffsets[index] + 1 - StmSectorStart(index);
}

}  // namespace tirv
