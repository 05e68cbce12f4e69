// Platform-independent parts of the port list.
#include "configurator/link/port_directory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <array>
#include <string_view>

namespace tirv {

namespace {

struct FixedSeries {
    std::string_view prefix;
    int firstNumber;
};

// Machine serial devices keep fixed COM numbers so a saved port number survives a reboot.
constexpr std::array<FixedSeries, 3> kFixedSeries{{
    {"ttyS", 1},
    {"ttyUSB", 33},
    {"ttyACM", 65},
}};

}  // namespace

QString DefaultPortsFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ports");
}

int FixedPortNumber(const QString& deviceName)
{
    QString name = deviceName;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    for (const auto& series : kFixedSeries) {
        const QString prefix = QString::fromLatin1(series.prefix.data(),
                                                   static_cast<qsizetype>(series.prefix.size()));
        if (!name.startsWith(prefix))
            continue;
        const QString digits = name.mid(prefix.size());
        bool ok = false;
        const int k = digits.toInt(&ok);
        // "ttyS01" or "ttyS+1" are not device names the kernel makes.
        if (!ok || digits.isEmpty() || k < 0 || QString::number(k) != digits)
            return 0;
        return k + series.firstNumber;
    }
    return 0;
}

std::vector<int> EnumeratePorts(const PortDirectory& directory)
{
    std::vector<int> numbers;
    for (const auto& entry : directory.list())
        numbers.push_back(entry.number);
    return numbers;
}

std::vector<int> EnumeratePorts(const QString& portsFolder)
{
    return EnumeratePorts(*CreatePortDirectory(portsFolder));
}

QString PortDevice(const PortDirectory& directory, int number)
{
    for (const auto& entry : directory.list()) {
        if (entry.number == number)
            return entry.device;
    }
    return {};
}

void WatchPorts(QObject* owner, const QString& portsFolder, std::function<void()> changed)
{
    auto* watcher = new QFileSystemWatcher(owner);
    const QString folder = portsFolder.isEmpty() ? DefaultPortsFolder() : portsFolder;
    for (const QString& dir : {folder, QFileInfo(folder).absolutePath(), QStringLiteral("/dev")})
        if (QFileInfo::exists(dir))
            watcher->addPath(dir);
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, owner,
                     [watcher, folder, changed = std::move(changed)] {
                         if (QFileInfo::exists(folder) && !watcher->directories().contains(folder))
                             watcher->addPath(folder);
                         changed();
                     });
}

}  // namespace tirv
