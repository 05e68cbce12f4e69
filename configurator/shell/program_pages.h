#pragma once
// Creates every page of the configurator that this build has and registers it with the main
// window, together with the link and the operations the pages share.
#include <QString>
#include <memory>

namespace tirv {

class ConnectionPanel;
class LinkSession;
class MainWindow;
class SerialLink;
class SetpointEditor;
class BreakerControl;
class ProgramFiles;

class ProgramPages {
public:
    // `portsFolder`: where COM entries are published (empty: ports/ beside the programs).
    explicit ProgramPages(MainWindow& window, const QString& portsFolder = {});
    ~ProgramPages();

    // The parts the tests and the demo reach (the program itself talks only through commands).
    SerialLink& link();
    LinkSession& session();
    ConnectionPanel& panel();
    SetpointEditor& editor();
    BreakerControl& breaker();
    ProgramFiles& files();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

}  // namespace tirv
