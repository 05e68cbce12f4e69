// journal-page-shots DIR: pictures of the working- and emergency-journal pages after live reads
// from tirv-sim (the setpoints read first, so that the sectors follow the relay's own), the newest
// event selected. Prints each picture's path; exit 1 when a read or a picture fails.
#include "configurator/journals/journal_emergency_page.h"
#include "configurator/journals/journal_emergency_page_diagram.h"
#include "configurator/journals/journal_working_page.h"
#include "configurator/shell/gui_test_support.h"
#include "configurator/ui/ids.h"
#include "support/gui_app.h"
#include "support/program_rig.h"
#include "support/sim_process.h"

#include <QDir>
#include <cstdio>

using namespace tirv;

namespace {

bool Run(test::ProgramRig& rig, int cmd)
{
    rig.win->command(cmd);
    return test::WaitUntil([&] { return !rig.win->state().busy; }, 30000);
}

bool Shoot(QWidget* w, const QString& path)
{
    const bool ok = w && w->grab().save(path);
    std::printf("%s%s\n", path.toLocal8Bit().constData(), ok ? "" : " (failed)");
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    test::GuiApp();
    const QString dir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/journal-shots");
    QDir().mkpath(dir);
    if (!std::getenv("TIRV_BIN_DIR"))
        ::setenv("TIRV_BIN_DIR", (QCoreApplication::applicationDirPath() + "/../bin").toLocal8Bit(),
                 0);
    test::SimProcess sim({"--model", "715"});
    if (!sim.ready()) {
        std::fprintf(stderr, "tirv-sim: %s\n", sim.error().c_str());
        return 1;
    }
    test::ProgramRig rig;
    rig.build(QString::fromStdString(sim.portsDir()), 715);
    rig.win->resize(1400, 820);
    rig.win->show();
    rig.win->start();
    bool ok = Run(rig, CmdReadSetpoints) && Run(rig, CmdReadWorkJournal);
    ok = ok && Shoot(rig.win.get(), dir + "/working-journal.png");
    ok = ok && Run(rig, CmdReadEmergencyJournal);
    auto* page = dynamic_cast<EmergencyJournalPage*>(rig.win->page(PageEmergencyJournal));
    if (page)
        page->selectEvent(0);
    QCoreApplication::processEvents();
    ok = ok && Shoot(rig.win.get(), dir + "/emergency-journal.png");
    if (page)
        ok = ok && Shoot(page->diagram(), dir + "/emergency-diagram.png");
    std::fprintf(stderr, "last status: %s\n", rig.rep.lastStatus().toLocal8Bit().constData());
    return ok ? 0 : 1;
}
