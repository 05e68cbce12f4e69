#pragma once
// Words of tirv-cli itself (UTF-8). The relay's and the window's own texts come from the
// subsystems' texts headers; these are only what the command line adds around them.

namespace tirv::cli::texts {

inline constexpr char kProgram[] = "tirv-cli";
inline constexpr char kProgress[] = "  ...";
inline constexpr char kAnswered[] = "  -> ";
inline constexpr char kAnswerOk[] = "OK";
inline constexpr char kAnswerCancel[] = "Cancel";
inline constexpr char kAnswerYes[] = "Yes";
inline constexpr char kAnswerNo[] = "No";
inline constexpr char kAnswerRetry[] = "Retry";

inline constexpr char kUsageError[] = "tirv-cli: ";
inline constexpr char kSeeHelp[] = "(tirv-cli --help lists the commands)";
inline constexpr char kUnknownCommand[] = "unknown command: ";
inline constexpr char kFileNeeded[] = "this command takes one file: ";
inline constexpr char kNoFileWanted[] = "this command takes no file: ";
inline constexpr char kOptionNotHere[] = "--set-… options belong to link write only";
inline constexpr char kNothingToWrite[] = "link write needs at least one --set-… option";
inline constexpr char kSerialOnly[] = "this command needs the serial link, not --tcp";
inline constexpr char kSettingsDamaged[] = "tirv-cli: the settings file is not a valid ТИРВ.cfg: ";
inline constexpr char kNoSettingsBlock[] =
    "tirv-cli: the relay's communication settings could not be read; nothing was written";
inline constexpr char kWrittenTo[] = "  -> ";
inline constexpr char kCheckPassed[] = "  OK";
inline constexpr char kNotRun[] = "tirv-cli: the operation could not be started";

inline constexpr char kHelpHead[] =
    "tirv-cli — the configurator's operations from the command line.\n"
    "\n"
    "usage: tirv-cli [options] COMMAND [FILE] [options]\n"
    "\n"
    "commands:\n";
inline constexpr char kHelpGeneral[] = "\noptions:\n";
inline constexpr char kHelpConnection[] = "\nconnection (defaults: the configurator's own):\n";
inline constexpr char kHelpDevice[] =
    "\nnew relay settings (link write; unset: as the relay holds them):\n";
inline constexpr char kHelpScan[] =
    "\nscan ranges (either order; unset: the connection's address and speed):\n";
inline constexpr char kHelpExit[] =
    "\nexit status: 0 success, 1 no link or link failure, 2 wrong usage, 3 file error,\n"
    "4 refused by the relay (exception reply), 5 invalid data (rejected read, invalid file).\n"
    "Texts and messages go to standard error; --json prints the result on standard output.\n";

}  // namespace tirv::cli::texts
