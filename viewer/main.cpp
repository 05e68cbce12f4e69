// Entry point of the Осциллограф program.
#include "viewer/comtrade_command.h"

#include <cstdio>
#include <span>

namespace {

// The windowed viewer is not part of the program yet; until it is, only the export runs.
int RunWithoutWindow(std::span<const char* const>)
{
    std::fputs("Осциллограф: окно просмотра пока недоступно; экспорт: "
               "Осциллограф --comtrade ФАЙЛ.tao ФАЙЛ.CFG\n",
               stderr);
    return tirv::kComtradeExitUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    if (tirv::IsComtradeCommand(args))
        return tirv::RunComtradeCommand(args, stderr);
    return RunWithoutWindow(args);
}
