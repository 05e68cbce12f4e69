#include "configurator/firmware/firmware_file.h"

#include "configurator/firmware/texts.h"

#include <sys/stat.h>
#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

namespace tirv {

namespace {

namespace tx = firmware_texts;

constexpr std::array<FirmwareDialog, 2> kDialogs{{
    {tx::kOpenDialogTitle, tx::kFilterMot, tx::kExtensionMot},
    {tx::kOpenDialogTitle, tx::kFilterHex, tx::kExtensionHex},
}};

Message ReadWriteError(std::string text)
{
    return Message{tx::kCaptionReadWrite, std::move(text), MsgIcon::Error, MsgButtons::Ok};
}

Message AllocationError()
{
    return Message{tx::kCaptionLoadFile, tx::kCannotAllocateFile, MsgIcon::Error, MsgButtons::Ok};
}

std::string WithCode(const char* format, int code)
{
    std::array<char, 256> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, code);
    return buffer.data();
}

}  // namespace

const FirmwareDialog& FirmwareDialogFor(FirmwareFamily family)
{
    return kDialogs[family == FirmwareFamily::Relay ? 0 : 1];
}

bool HasFirmwareExtension(std::string_view fileName, FirmwareFamily family)
{
    const std::string_view ext = FirmwareDialogFor(family).extension;
    return fileName.size() >= ext.size() && fileName.substr(fileName.size() - ext.size()) == ext;
}

Result<FirmwareImage, Message> ParseFirmwareFile(std::span<const std::uint8_t> text,
                                                 FirmwareFamily family)
{
    using R = Result<FirmwareImage, Message>;
    FirmwareImage image;
    image.family = family;
    if (family == FirmwareFamily::Relay) {
        auto parsed = ParseSRecordFile(text);
        if (!parsed)
            return R::Fail(parsed.error());
        image.relay = std::move(parsed.value());
    } else {
        auto parsed = ParseIntelHexFile(text);
        if (!parsed)
            return R::Fail(parsed.error());
        image.stm32 = std::move(parsed.value());
    }
    image.text.assign(text.begin(), text.end());
    return image;
}

Result<FirmwareImage, Message> LoadFirmwareFile(const std::string& path, FirmwareFamily family)
{
    using R = Result<FirmwareImage, Message>;
    if (!HasFirmwareExtension(path, family))
        return R::Fail(ReadWriteError(tx::kWrongExtension));
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return R::Fail(ReadWriteError(WithCode(tx::kCannotOpenFile, errno)));
    if (!S_ISREG(info.st_mode))
        return R::Fail(ReadWriteError(WithCode(tx::kCannotOpenFile, EISDIR)));
    if (static_cast<std::uint64_t>(info.st_size) > kMaxFirmwareFileBytes)
        return R::Fail(AllocationError());
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return R::Fail(ReadWriteError(WithCode(tx::kCannotOpenFile, errno)));
    // Read to the end, never more than one byte past the limit, so that a file that grew since
    // stat() is still read whole or refused.
    std::vector<std::uint8_t> text;
    text.reserve(static_cast<std::size_t>(info.st_size));
    std::array<std::uint8_t, 65536> chunk;
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0 &&
           text.size() <= kMaxFirmwareFileBytes)
        text.insert(text.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    const bool failed = std::ferror(file) != 0;
    const int code = errno;
    std::fclose(file);
    if (failed)
        return R::Fail(ReadWriteError(WithCode(tx::kCannotOpenFile, code)));
    if (text.size() > kMaxFirmwareFileBytes)
        return R::Fail(AllocationError());
    auto image = ParseFirmwareFile(text, family);
    if (image)
        image.value().path = path;
    return image;
}

}  // namespace tirv
