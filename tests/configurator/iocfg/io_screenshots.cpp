// Pictures of the I/O and LED pages for review (not a test): io_screenshots OUT_DIR. The whole
// program against tirv-sim: page 2 after a settings read, page 6 after a state read with two
// inputs and an output active, page 3 after an LED read with the pop-up of LED 2 open, on the
// front-panel picture of each model class as installed beside the programs, and once without.
#include "configurator/iocfg/led_page.h"
#include "configurator/iocfg/led_page_texts.h"
#include "configurator/iocfg/led_panel_view.h"
#include "configurator/shell/gui_test_support.h"
#include "support/program_rig.h"
#include "support/sim_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Page 3 of a `model` relay after a read, the pop-up of LED 2 open; `pictures`: the front-panel
// pictures of the build lie beside the program.
bool ShootLeds(int model, bool pictures, const QString& dir, const char* name)
{
    using namespace tirv;
    test::SimProcess sim({"--model", std::to_string(model)});
    if (!sim.ready()) {
        std::fprintf(stderr, "tirv-sim: %s\n", sim.error().c_str());
        return false;
    }
    test::ProgramRig rig;
    const QDir bin = QFileInfo(QString::fromStdString(test::SimProcess::ProgramPath())).dir();
    for (const char* picture : {led_page_texts::kPictureNonM, led_page_texts::kPictureM})
        if (pictures && !QFile::copy(bin.filePath(QString::fromUtf8(picture)),
                                     rig.folder.filePath(QString::fromUtf8(picture))))
            std::fprintf(stderr, "no picture %s beside the programs\n", picture);
    rig.build(QString::fromStdString(sim.portsDir()), model);
    rig.win->resize(1000, 640);
    rig.win->show();
    rig.win->start();
    rig.win->command(CmdShowLeds);
    bool ok = Run(rig, CmdReadLedSettings);
    auto* page = dynamic_cast<LedPage*>(rig.win->page(PageLeds));
    if (page) {
        test::WaitUntil({}, 100);
        page->clickPanel(page->panel()->labelRect(1).center());
        test::WaitUntil({}, 100);
    }
    return ok && page && Shot(rig, dir, name);
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
    bool ok = true;
    {
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
        rig.win->command(CmdShowIoSettings);
        ok &= Run(rig, CmdReadIoSettings) && Shot(rig, dir, "page2-io-settings.png");
        rig.win->command(CmdShowIoState);
        ok &= Run(rig, CmdReadIoState) && Shot(rig, dir, "page6-io-state.png");
    }
    ok &= ShootLeds(715, true, dir, "page3-leds-popup.png");
    ok &= ShootLeds(705, true, dir, "page3-leds-popup-705.png");
    ok &= ShootLeds(715, false, dir, "page3-leds-popup-plain.png");
    return ok ? 0 : 1;
}
