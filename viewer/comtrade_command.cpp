#include "viewer/comtrade_command.h"

#include "common/oscillogram_image.h"
#include "common/oscillogram_texts.h"
#include "viewer/comtrade_export.h"
#include "viewer/printing_sink.h"

#include <string>
#include <string_view>

namespace tirv {
namespace {

constexpr const char* kUsage = "Использование: Осциллограф --comtrade ФАЙЛ.tao ФАЙЛ.CFG\n";

}  // namespace

bool IsComtradeCommand(std::span<const char* const> args)
{
    return !args.empty() && std::string_view(args[0]) == kComtradeOption;
}

int RunComtradeCommand(std::span<const char* const> args, std::FILE* err)
{
    if (args.size() != 3 || !IsComtradeCommand(args)) {
        std::fputs(kUsage, err);
        return kComtradeExitUsage;
    }
    PrintingSink sink(err);
    OscillogramImage image;
    const LoadResult loaded = image.load(args[1], sink);
    if (loaded.status == LoadStatus::CannotOpen) {
        char text[256];
        std::snprintf(text, sizeof text, osc_texts::kOpenFailed, loaded.systemError);
        sink.show(OscMessage{OscMessageId::OpenFailed, osc_texts::kCaptionError, text,
                             MsgIcon::Error, true});
    }
    if (loaded.status != LoadStatus::Loaded)
        return kComtradeExitLoadFailed;
    switch (ExportComtrade(image, args[2], sink)) {
    case ComtradeResult::Written:
        return kComtradeExitOk;
    case ComtradeResult::HeaderMissing:
    case ComtradeResult::Failed:
        break;
    }
    return kComtradeExitWriteFailed;
}

}  // namespace tirv
