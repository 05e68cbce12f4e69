// tirv-cli: the configurator's operations without a window, for scripts and batch work.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "cli/texts.h"

#include <unistd.h>
#include <QCoreApplication>
#include <cstdio>

namespace {

using namespace tirv::cli;

// Every command table, in the order the help lists them; a new command adds its table here.
constexpr std::span<const CommandRow> (*kTables[])() = {
    LinkCommands,
    SetpointCommands,
    ScanCommands,
    BreakerCommands,
    ClockCommands,
    IdentityCommands,
    IoCommands,
    JournalCommands,
    FirmwareCommands,
    MeasurementCommands,
};

struct Found {
    const CommandRow* row = nullptr;
    std::size_t words = 0;  // how many of the words name the command
};

Found FindCommand(const std::vector<std::string>& words)
{
    for (const auto table : kTables)
        for (const CommandRow& row : table()) {
            const std::string name = row.words;
            const bool two = name.find(' ') != std::string::npos;
            if (!two && !words.empty() && words[0] == name)
                return {&row, 1};
            if (two && words.size() >= 2 && words[0] + " " + words[1] == name)
                return {&row, 2};
        }
    return {};
}

std::string ProgramHelp()
{
    std::string out = texts::kHelpHead;
    for (const auto table : kTables)
        for (const CommandRow& row : table()) {
            std::string left = std::string("  ") + row.words;
            if (row.file)
                left += std::string(" ") + row.file;
            left.append(left.size() < 32 ? 32 - left.size() : 1, ' ');
            out += left + row.summary + "\n";
        }
    out += texts::kHelpGeneral + OptionHelp(OptionGroup::General);
    out += texts::kHelpConnection + OptionHelp(OptionGroup::Connection);
    out += texts::kHelpDevice + OptionHelp(OptionGroup::DeviceSettings);
    out += texts::kHelpScan + OptionHelp(OptionGroup::Scan);
    return out + texts::kHelpExit;
}

std::string CommandHelp(const CommandRow& row)
{
    std::string out = std::string("usage: tirv-cli ") + row.words;
    if (row.file)
        out += std::string(" ") + row.file;
    out += " [options]\n\n" + std::string(row.summary) + "\n";
    out += texts::kHelpGeneral + OptionHelp(OptionGroup::General);
    out += texts::kHelpConnection + OptionHelp(OptionGroup::Connection);
    if (row.extra == OptionGroup::DeviceSettings)
        out += texts::kHelpDevice + OptionHelp(OptionGroup::DeviceSettings);
    if (row.extra == OptionGroup::Scan)
        out += texts::kHelpScan + OptionHelp(OptionGroup::Scan);
    return out + texts::kHelpExit;
}

int Usage(const std::string& why)
{
    std::fprintf(stderr, "%s%s\n%s\n", texts::kUsageError, why.c_str(), texts::kSeeHelp);
    return static_cast<int>(Exit::Usage);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int k = 1; k < argc; ++k)
        args.emplace_back(argv[k]);
    const ParseResult parsed = ParseOptions(args);
    if (!parsed.error.empty())
        return Usage(parsed.error);
    const Options& o = parsed.options;

    const Found found = FindCommand(o.words);
    if (!found.row) {
        if (o.words.empty() && o.help) {
            std::fputs(ProgramHelp().c_str(), stdout);
            return static_cast<int>(Exit::Ok);
        }
        return Usage(o.words.empty() ? std::string(texts::kSeeHelp)
                                     : texts::kUnknownCommand + o.words[0]);
    }
    const CommandRow& row = *found.row;
    if (o.help) {
        std::fputs(CommandHelp(row).c_str(), stdout);
        return static_cast<int>(Exit::Ok);
    }
    const std::size_t files = o.words.size() - found.words;
    if (row.file && files != 1)
        return Usage(texts::kFileNeeded + std::string(row.words) + " " + row.file);
    if (!row.file && files != 0)
        return Usage(texts::kNoFileWanted + o.words[found.words]);
    for (const OptionGroup g : parsed.groupsUsed)
        if ((g == OptionGroup::DeviceSettings || g == OptionGroup::Scan) && g != row.extra)
            return Usage(texts::kOptionNotHere);

    TerminalReporter reporter(o.yes ? AnswerPolicy::Accept : AnswerPolicy::Decline, stderr,
                              isatty(STDERR_FILENO) != 0);
    StartSettings start;
    if (const Exit e = LoadStartSettings(o, reporter, start); e != Exit::Ok) {
        if (o.json)
            PrintJson(FailureJson(e, reporter));
        return static_cast<int>(e);
    }
    RelaySession session(o, start, reporter);
    const std::string file = row.file ? o.words.back() : std::string();
    return static_cast<int>(row.run(session, file));
}
