// Linux port list: entries COM<n> of the ports/ folder (links to a device, published by the
// simulator or the user) plus the machine's serial devices by their fixed numbering. An entry of
// the folder wins over the fixed numbering.
#include "configurator/link/port_directory.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>

namespace tirv {

namespace {

class LinuxPortDirectory : public PortDirectory {
public:
    explicit LinuxPortDirectory(QString folder) : m_folder(std::move(folder)) {}

    std::vector<PortEntry> list() const override
    {
        std::map<int, QString> found;  // ordered by number
        const QDir dev(QStringLiteral("/dev"));
        const QStringList patterns{QStringLiteral("ttyS*"), QStringLiteral("ttyUSB*"),
                                   QStringLiteral("ttyACM*")};
        for (const QString& name : dev.entryList(patterns, QDir::System | QDir::Files)) {
            const int number = FixedPortNumber(name);
            // ttyS<k> exist for every UART slot the kernel reserves; only present ones count.
            if (number > 0 && Present(dev.filePath(name)))
                found[number] = dev.filePath(name);
        }
        static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,3})$"));
        const QDir ports(m_folder);
        for (const QString& name : ports.entryList(QDir::AllEntries | QDir::System |
                                                   QDir::NoDotAndDotDot)) {
            const auto match = comName.match(name);
            if (!match.hasMatch())
                continue;
            // A link whose target has gone (simulator ended) is not a port.
            const QFileInfo info(ports.filePath(name));
            if (!info.exists())
                continue;
            found[match.captured(1).toInt()] = ports.filePath(name);
        }
        std::vector<PortEntry> entries;
        for (const auto& [number, device] : found)
            entries.push_back({number, device});
        return entries;
    }

private:
    static bool Present(const QString& path)
    {
        if (!QFileInfo(path).fileName().startsWith(QLatin1String("ttyS")))
            return true;
        // A ttyS slot without a UART has no driver behind it: its sysfs type reads 0.
        QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(QFileInfo(path).fileName()));
        if (!type.open(QIODevice::ReadOnly))
            return false;
        return type.readAll().trimmed() != "0";
    }

    QString m_folder;
};

}  // namespace

std::unique_ptr<PortDirectory> CreatePortDirectory(const QString& portsFolder)
{
    return std::make_unique<LinuxPortDirectory>(portsFolder.isEmpty() ? DefaultPortsFolder()
                                                                      : portsFolder);
}

}  // namespace tirv
