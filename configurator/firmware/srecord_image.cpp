#include "configurator/firmware/srecord_image.h"

#include "configurator/firmware/hex_text.h"
#include "configurator/firmware/texts.h"

#include <algorithm>

namespace tirv {

namespace {

namespace tx = firmware_texts;

struct SRecordType {
    std::uint8_t type;
    std::uint8_t addressBytes;
    bool data;
};

// S1 and S9 (16-bit addresses) are refused separately: the relay's memory lies above 64 KiB.
constexpr std::array<SRecordType, 6> kSRecordTypes{{
    {'0', 2, false},  // header
    {'2', 3, true},   // data, 24-bit address
    {'3', 4, true},   // data, 32-bit address
    {'5', 2, false},  // record count
    {'7', 4, false},  // start address, 32-bit
    {'8', 3, false},  // start address, 24-bit
}};

enum class ReadStatus { Ok, Addressing, Format };

struct SRecord {
    const SRecordType* type = nullptr;
    std::array<std::uint8_t, 255> bytes{};  // address, data, checksum
    std::uint8_t count = 0;
    std::size_t end = 0;  // one past the last checksum digit
    std::uint32_t address = 0;

    std::span<const std::uint8_t> data() const
    {
        return std::span(bytes).subspan(type->addressBytes, count - type->addressBytes - 1u);
    }
    bool checksumGood() const
    {
        unsigned sum = count;
        for (std::size_t i = 0; i + 1 < count; ++i)
            sum += bytes[i];
        return static_cast<std::uint8_t>(~sum) == bytes[count - 1u];
    }
};

// Reads the record whose "S" is at text[pos].
ReadStatus ReadRecord(std::span<const std::uint8_t> text, std::size_t pos, SRecord& r)
{
    if (text.size() - pos < 2)
        return ReadStatus::Format;
    const std::uint8_t t = text[pos + 1];
    if (t == '1' || t == '9')
        return ReadStatus::Addressing;
    const auto type = std::find_if(kSRecordTypes.begin(), kSRecordTypes.end(),
                                   [t](const SRecordType& k) { return k.type == t; });
    if (type == kSRecordTypes.end())
        return ReadStatus::Format;
    const auto count = HexByteAt(text, pos + 2);
    if (!count)
        return ReadStatus::Format;
    const std::size_t body = pos + 4;
    if (text.size() - body < 2u * *count)
        return ReadStatus::Format;
    for (std::size_t i = 0; i < *count; ++i) {
        const auto b = HexByteAt(text, body + 2 * i);
        if (!b)
            return ReadStatus::Format;
        r.bytes[i] = *b;
    }
    if (*count < type->addressBytes + 1u)
        return ReadStatus::Format;
    r.type = &*type;
    r.count = *count;
    r.end = body + 2u * *count;
    r.address = 0;
    for (std::size_t i = 0; i < type->addressBytes; ++i)
        r.address = r.address << 8 | r.bytes[i];
    return ReadStatus::Ok;
}

Message FileError(const char* text)
{
    return Message{tx::kCaptionReadWrite, text, MsgIcon::Error, MsgButtons::Ok};
}

bool InsideWritableRange(std::uint32_t first, std::uint64_t last)
{
    return std::any_of(kRelayWritableRanges.begin(), kRelayWritableRanges.end(),
                       [&](const AddressRange& r) { return first >= r.first && last <= r.last; });
}

bool IsRecordStart(std::uint8_t c)
{
    return c == 'S' || c == 's';
}

}  // namespace

std::size_t SRecordImage::usedBlockCount() const
{
    return static_cast<std::size_t>(std::count(usedBlocks.begin(), usedBlocks.end(), true));
}

Result<SRecordImage, Message> ParseSRecordFile(std::span<const std::uint8_t> text)
{
    using R = Result<SRecordImage, Message>;
    SRecordImage image;
    SRecord r;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (IsRecordSeparator(text[pos])) {
            ++pos;
            continue;
        }
        if (!IsRecordStart(text[pos]))
            return R::Fail(FileError(tx::kFormatError));
        const ReadStatus status = ReadRecord(text, pos, r);
        if (status == ReadStatus::Addressing)
            return R::Fail(FileError(tx::kSrecAddressing));
        if (status != ReadStatus::Ok || !r.checksumGood())
            return R::Fail(FileError(tx::kFormatError));
        if (r.type->data) {
            const auto data = r.data();
            if (r.address >= kRelayBootloaderStart)
                return R::Fail(FileError(tx::kSrecBootloaderArea));
            const std::uint64_t last = data.empty() ? r.address : r.address + data.size() - 1u;
            if (!InsideWritableRange(r.address, last))
                return R::Fail(FileError(tx::kSrecOutOfRange));
            for (std::size_t b = 0; b < kRelayBlocks.size() && !data.empty(); ++b)
                if (r.address < kRelayBlocks[b].end() && last >= kRelayBlocks[b].start)
                    image.usedBlocks[b] = true;
            // The same byte given twice would be written twice into one erased page.
            if (!image.pages.place(r.address, data))
                return R::Fail(FileError(tx::kFormatError));
        }
        pos = r.end;
        if (pos < text.size() && !IsRecordSeparator(text[pos]))
            return R::Fail(FileError(tx::kFormatError));
    }
    if (image.usedBlockCount() == 0)
        return R::Fail(FileError(tx::kNoData));
    return image;
}

ExtractedPage ExtractPage(std::span<const std::uint8_t> text, std::size_t position,
                          std::size_t carry, std::span<std::uint8_t, kRelayPageSize> page)
{
    ExtractedPage out;
    SRecord r;
    std::size_t pos = std::min(position, text.size());
    while (true) {
        while (pos < text.size() && !IsRecordStart(text[pos]))
            ++pos;
        out.position = pos;
        if (pos >= text.size() || ReadRecord(text, pos, r) != ReadStatus::Ok) {
            out.position = text.size();
            return out;
        }
        const auto data = r.data();
        if (!r.type->data || data.size() <= carry) {
            pos = r.end;
            carry = 0;
            continue;
        }
        const std::uint64_t address = std::uint64_t{r.address} + carry;
        const auto rest = data.subspan(carry);
        // Bytes beyond the 32-bit address space have no page; the check refuses such files.
        if (address > 0xFFFFFFFFu) {
            pos = r.end;
            carry = 0;
            continue;
        }
        if (!out.hasData) {
            out.base = static_cast<std::uint32_t>(address) & ~std::uint32_t{kRelayPageSize - 1};
            out.hasData = true;
        }
        // A record outside this page (beyond it, or below it in an unordered file) starts the next.
        if (address < out.base || address >= std::uint64_t{out.base} + kRelayPageSize)
            return out;  // carry is 0 here: only the first record of a call can carry
        const std::size_t offset = static_cast<std::size_t>(address - out.base);
        const std::size_t fit = std::min(rest.size(), kRelayPageSize - offset);
        std::copy_n(rest.begin(), fit, page.begin() + static_cast<std::ptrdiff_t>(offset));
        if (fit < rest.size()) {
            out.carry = carry + fit;
            return out;
        }
        carry = 0;
        pos = r.end;
        out.position = pos;
        if (offset + fit == kRelayPageSize)
            return out;
    }
}

}  // namespace tirv
