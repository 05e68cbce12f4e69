// Pictures of the I/O and LED pages for review (not a test): io_screenshots OUT_DIR. The whole
// program against tirv-sim: page 2 after a settings read, page 6 after a state read with two
// inputs and an output active, page 3 after an LED read with the pop-up of LED 2 open.
#include "configurator/iocfg/led_page.h"
#include "configurator/iocfg/led_panel_view.h"
#include "configurator/shell/gui_test_support.h"
#include "support/program_rig.h"
#include "support/sim_process.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

bool Run(tirv::test::ProgramRig& rig, int cmd)
{
    rig.win->command(cmd);
    return tirv::test::WaitUntil([&] { return !rig.win->state().busy; }, 20000);
}

bool Shot(tirv::test::ProgramRig& rig, const QString& dir, const char* name)
{
    const QString path = QDir(dir).filePath(QString::fromUtf8(name));
    const bool ok = rig.win->grab().save(path);
    std::printf("%s %s (%s)\n", ok ? "wrote" : "FAILED", qPrintable(path),
                qPrintable(rig.rep.lastStatus()));
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tirv;
    test::GuiApp();
    if (!std::getenv("TIRV_BIN_DIR"))
        ::setenv("TIRV_BIN_DIR",
                 (QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")).toLocal8Bit(),
                 0);
    const QString dir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/io-shots");
    QDir().mkpath(dir);
    test::SimProcess sim({"--model", "715"});
    if (!sim.ready()) {
        std::fprintf(stderr, "tirv-sim: %s\n", sim.error().c_str());
        return 1;
    }
    sim.control("io inputs 0x0005");
    sim.control("io outputs 0x0001");
    test::ProgramRig rig;
    QFile::remove(rig.settingsPath());
    rig.build(QString::fromStdString(sim.portsDir()), 715);
    rig.win->resize(1400, 900);
    rig.win->show();
    rig.win->start();
    bool ok = true;
    rig.win->command(CmdShowIoSettings);
    ok &= Run(rig, CmdReadIoSettings) && Shot(rig, dir, "page2-io-settings.png");
    rig.win->command(CmdShowIoState);
    ok &= Run(rig, CmdReadIoState) && Shot(rig, dir, "page6-io-state.png");
    rig.win->command(CmdShowLeds);
    ok &= Run(rig, CmdReadLedSettings);
    auto* page = dynamic_cast<LedPage*>(rig.win->page(PageLeds));
    if (page) {
        test::WaitUntil({}, 100);
        page->clickPanel(page->panel()->labelRect(1).center());
        test::WaitUntil({}, 100);
    }
    ok &= page && Shot(rig, dir, "page3-leds-popup.png");
    return ok ? 0 : 1;
}
