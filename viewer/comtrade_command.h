#pragma once
// The viewer's command-line export for scripts and batch work:
//   Осциллограф --comtrade IN.tao OUT.CFG
// loads the oscillogram file, writes OUT's .CFG, .HDR and .DAT and returns 0; otherwise it prints
// the load or write messages and returns one of the codes below. No window is opened.
#include <cstdio>
#include <span>

namespace tirv {

inline constexpr const char* kComtradeOption = "--comtrade";

enum ComtradeExit : int {
    kComtradeExitOk = 0,
    kComtradeExitLoadFailed = 1,  // the file could not be opened or holds no oscillogram to export
    kComtradeExitUsage = 2,       // wrong arguments
    kComtradeExitWriteFailed = 3, // a COMTRADE file could not be written
};

// True when the arguments (argv[1] on) ask for the command-line export.
bool IsComtradeCommand(std::span<const char* const> args);

// Runs the export for args = {"--comtrade", IN, OUT}; every message goes to `err` as
// "caption: text" lines in UTF-8.
int RunComtradeCommand(std::span<const char* const> args, std::FILE* err);

}  // namespace tirv
