#pragma once
// A Shell for page tests: records what is reported and keeps the shared state; everything the
// main window would do with menus and other pages is a no-op here.
#include "configurator/ui/shell.h"
#include "support/recording_reporter.h"
#include "support/scripted_dialogs.h"

namespace tirv::test {

class FakeShell : public Shell {
public:
    Reporter& reporter() override { return rec; }
    ShellState& state() override { return st; }
    DeviceModel& model() override { return mdl; }
    FileDialogs& dialogs() override { return files; }
    int currentPage() const override { return 1; }
    Page* page(int) const override { return nullptr; }
    void command(int id) override { commands.push_back(id); }
    bool sendToPage(int, int) override { return false; }
    void setMenuEnabled(int, bool) override {}
    void setToolEnabled(int, bool) override {}
    void setModeText(const QString&) override {}
    void lockControls(bool) override {}
    bool runExchange(ExchangeJob job) override
    {
        ++exchanges;
        job.start([](bool) {});
        return true;
    }
    void linkChanged() override {}

    RecordingReporter rec;
    ShellState st;
    DeviceModel mdl{DeviceModel::kDefaultCode};
    ScriptedDialogs files;
    std::vector<int> commands;
    int exchanges = 0;
};

}  // namespace tirv::test
