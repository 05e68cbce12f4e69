// Entry point of the Осциллограф program.
#include "viewer/comtrade_command.h"
#include "viewer/viewer_window.h"

#include <cstdio>
#include <span>

int main(int argc, char** argv)
{
    const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    if (tirv::IsComtradeCommand(args))
        return tirv::RunComtradeCommand(args, stderr);
    return tirv::RunViewerWindow(argc, argv);
}
