#pragma once
// Where COM numbers come from. Each platform supplies one PortDirectory (Linux: the ports/
// folder beside the programs plus the fixed numbering of the machine's serial devices; Windows:
// the registry list), so the rest of the link never asks the operating system itself.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace tirv {

struct PortEntry {
    int number = 0;   // "COM<number>"
    QString device;   // what the platform opens for it
};

class PortDirectory {
public:
    virtual ~PortDirectory() = default;
    // Ascending by number, one entry per number.
    virtual std::vector<PortEntry> list() const = 0;
};

// The folder the simulator and the user publish ports in: "ports" beside the programs.
QString DefaultPortsFolder();

// The platform's directory; `portsFolder` empty means DefaultPortsFolder().
std::unique_ptr<PortDirectory> CreatePortDirectory(const QString& portsFolder = {});

// COM number of a machine serial device by the fixed numbering (ttyS<k> → k+1, ttyUSB<k> →
// k+33, ttyACM<k> → k+65); 0 when the name is not a numbered serial device.
int FixedPortNumber(const QString& deviceName);

// The port numbers present, ascending.
std::vector<int> EnumeratePorts(const PortDirectory& directory);
std::vector<int> EnumeratePorts(const QString& portsFolder = {});

// The device to open for "COM<number>", empty when the number is not present.
QString PortDevice(const PortDirectory& directory, int number);

// Calls `changed` when a port arrives or goes (adapter plugged in, simulator started), for as
// long as `owner` lives; the folder is watched from its parent too, so that one created later
// is noticed.
void WatchPorts(QObject* owner, const QString& portsFolder, std::function<void()> changed);

}  // namespace tirv
