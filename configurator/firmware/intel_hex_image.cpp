#include "configurator/firmware/intel_hex_image.h"

#include "configurator/firmware/hex_text.h"
#include "configurator/firmware/page_map.h"
#include "configurator/firmware/texts.h"

#include <algorithm>
#include <array>

namespace tirv {

namespace {

namespace tx = firmware_texts;

enum class HexType : std::uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    LinearBase = 0x04,
    LinearStart = 0x05
};
constexpr std::array<std::uint8_t, 4> kAcceptedTypes{0x00, 0x01, 0x04, 0x05};

// Characters after ":" besides the data: count, address, type, checksum.
constexpr std::size_t kRecordFrameDigits = 10;
// STM32 flash is written in 32-bit words: the first address must be word aligned.
constexpr std::uint32_t kWordAlignMask = 3;

Message FileError(const char* text)
{
    return Message{tx::kCaptionReadWrite, text, MsgIcon::Error, MsgButtons::Ok};
}

bool IsFlash(std::uint64_t address)
{
    return address >= kStmFlashStart && address <= kStmFlashLast;
}

HexImage Flatten(const PageMap& pages)
{
    HexImage image;
    image.start = pages.lowest();
    image.bytes.assign(pages.highest() - image.start + 1u, kErasedByte);
    for (const auto& [base, page] : pages.pages())
        for (std::size_t i = 0; i < kPageMapPageSize; ++i)
            if (page.given.test(i))
                image.bytes[base + i - image.start] = page.bytes[i];
    image.firstSector = StmSectorOf(image.start).value_or(0);
    image.lastSector = StmSectorOf(pages.highest()).value_or(0);
    return image;
}

}  // namespace

Result<HexImage, Message> ParseIntelHexFile(std::span<const std::uint8_t> text)
{
    using R = Result<HexImage, Message>;
    PageMap pages;
    bool haveBase = false;
    bool ended = false;
    std::uint32_t base = 0;
    std::array<std::uint8_t, 255 + 5> rec{};  // count, address (2), type, data, checksum
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (IsRecordSeparator(text[pos])) {
            ++pos;
            continue;
        }
        // Nothing but separators may follow the end-of-file record.
        if (text[pos] != ':' || ended)
            return R::Fail(FileError(tx::kFormatError));
        const auto count = HexByteAt(text, pos + 1);
        if (!count)
            return R::Fail(FileError(tx::kHexByteCount));
        const std::size_t digits = 2u * *count + kRecordFrameDigits;
        if (text.size() - (pos + 1) < digits)
            return R::Fail(FileError(tx::kHexLineLength));
        const std::size_t bytes = digits / 2;
        for (std::size_t i = 0; i < bytes; ++i) {
            const auto b = HexByteAt(text, pos + 1 + 2 * i);
            if (!b)
                return R::Fail(FileError(tx::kHexCharacters));
            rec[i] = *b;
        }
        const std::uint8_t type = rec[3];
        if (std::find(kAcceptedTypes.begin(), kAcceptedTypes.end(), type) == kAcceptedTypes.end())
            return R::Fail(FileError(tx::kHexRecordType));
        unsigned sum = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            sum += rec[i];
        if ((sum & 0xFF) != 0)
            return R::Fail(FileError(tx::kHexChecksum));
        const std::uint16_t offset = static_cast<std::uint16_t>(rec[1] << 8 | rec[2]);
        const auto data = std::span<const std::uint8_t>(rec).subspan(4, *count);
        switch (static_cast<HexType>(type)) {
            case HexType::LinearBase: {
                const std::uint32_t value = *count == 2 ? std::uint32_t{data[0]} << 24 |
                                                              std::uint32_t{data[1]} << 16 | offset
                                                        : 0;
                if (!IsFlash(value))
                    return R::Fail(FileError(tx::kHexExtendedAddress));
                base = value;
                haveBase = true;
                break;
            }
            case HexType::LinearStart:
                break;
            case HexType::EndOfFile:
                if (*count != 0 || offset != 0)
                    return R::Fail(FileError(tx::kHexEndRecord));
                ended = true;
                break;
            case HexType::Data: {
                if (!haveBase)
                    return R::Fail(FileError(tx::kFormatError));
                const std::uint64_t first = std::uint64_t{base} + offset;
                if (!data.empty() && (!IsFlash(first + data.size() - 1u) ||
                                      !pages.place(static_cast<std::uint32_t>(first), data)))
                    return R::Fail(FileError(tx::kHexOffset));
                break;
            }
        }
        pos += 1 + digits;
    }
    if (!ended)
        return R::Fail(FileError(tx::kHexNoEndRecord));
    if (pages.empty())
        return R::Fail(FileError(tx::kNoData));
    if ((pages.lowest() & kWordAlignMask) != 0)
        return R::Fail(FileError(tx::kFormatError));
    return Flatten(pages);
}

}  // namespace tirv
