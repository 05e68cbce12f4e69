#pragma once
// Memory of the M relay's controller as its system bootloader sees it: 1 MiB of flash in the
// twelve sectors of the STM32F4 layout and the 16 option bytes (read and write protection).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tirv::sim {

inline constexpr std::uint32_t kStm32FlashBase = 0x08000000;
inline constexpr std::uint32_t kStm32FlashSize = 0x100000;
inline constexpr std::uint32_t kStm32OptionBase = 0x1FFFC000;
inline constexpr std::uint32_t kStm32OptionSize = 16;

struct FlashSector {
    std::uint32_t offset;  // from kStm32FlashBase
    std::uint32_t size;
};
// Four 16 KiB, one 64 KiB and seven 128 KiB sectors.
inline constexpr std::array<FlashSector, 12> kStm32Sectors{{
    {0x00000, 0x4000},
    {0x04000, 0x4000},
    {0x08000, 0x4000},
    {0x0C000, 0x4000},
    {0x10000, 0x10000},
    {0x20000, 0x20000},
    {0x40000, 0x20000},
    {0x60000, 0x20000},
    {0x80000, 0x20000},
    {0xA0000, 0x20000},
    {0xC0000, 0x20000},
    {0xE0000, 0x20000},
}};
inline constexpr std::uint16_t kAllSectors = (1u << kStm32Sectors.size()) - 1;

// Option bytes as the STM32F4 reference manual lays them out at 0x1FFFC000: USER, RDP, then
// nWRP (a 1 bit leaves its sector writable) in the low 12 bits of the half-word at offset 8.
inline constexpr std::size_t kOptionUser = 0;
inline constexpr std::size_t kOptionRdp = 1;
inline constexpr std::size_t kOptionWrpLow = 8;
inline constexpr std::size_t kOptionWrpHigh = 9;
inline constexpr std::uint8_t kRdpLevel0 = 0xAA;  // readable
inline constexpr std::uint8_t kRdpLevel1 = 0xBB;  // any value but 0xAA and 0xCC
inline constexpr std::uint8_t kRdpLevel2 = 0xCC;  // the system bootloader is switched off
using OptionBytes = std::array<std::uint8_t, kStm32OptionSize>;
// Factory state: level 0, no sector protected, reserved bytes read as 0xFF.
inline constexpr OptionBytes kFactoryOptions{0xEC, kRdpLevel0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0xFF, 0xFF,       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Bit k set: sector k is write-protected.
std::uint16_t WriteProtectedSectors(const OptionBytes& options);
void SetWriteProtectedSectors(OptionBytes& options, std::uint16_t sectors);

enum class Region : std::uint8_t { Flash, Options };
struct MemoryRange {
    Region region;
    std::uint32_t offset;  // within the region
};
// Where [address, address + length) lies, when it lies wholly inside one region.
std::optional<MemoryRange> LocateRange(std::uint32_t address, std::uint32_t length);

class Stm32Memory {
public:
    Stm32Memory() : m_flash(kStm32FlashSize, 0xFF) {}

    std::span<const std::uint8_t> flash() const { return m_flash; }
    const OptionBytes& options() const { return m_options; }
    void setOptions(const OptionBytes& options) { m_options = options; }

    bool readProtected() const { return m_options[kOptionRdp] != kRdpLevel0; }
    bool bootloaderDisabled() const { return m_options[kOptionRdp] == kRdpLevel2; }
    void setReadProtection(std::uint8_t rdp) { m_options[kOptionRdp] = rdp; }
    // Bit k set: sector k is write-protected.
    std::uint16_t writeProtected() const { return WriteProtectedSectors(m_options); }
    void setWriteProtected(std::uint16_t sectors) { SetWriteProtectedSectors(m_options, sectors); }

    // Programming clears bits only, as flash does: a byte becomes old AND new, so writing over
    // data that were not erased leaves a mixture the read-back shows.
    void Program(std::uint32_t flashOffset, std::span<const std::uint8_t> data);
    void EraseSector(std::size_t sector);
    void EraseAll();
    void Read(const MemoryRange& at, std::span<std::uint8_t> out) const;
    // Sectors that [offset, offset + length) touches.
    static std::uint16_t SectorsOf(std::uint32_t flashOffset, std::uint32_t length);

    // For the state file: content and protections, restored only as a whole.
    std::vector<std::uint8_t>& rawFlash() { return m_flash; }

private:
    std::vector<std::uint8_t> m_flash;
    OptionBytes m_options = kFactoryOptions;
};

}  // namespace tirv::sim
