#pragma once
// Runs build/bin/tirv-cli as a subprocess (found like the simulator: $TIRV_BIN_DIR, else ../bin
// beside the test program) and keeps its exit status, standard output and standard error.
#include "support/sim_process.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

namespace tirv::test {

inline void EnsureCliApp()
{
    static int argc = 1;
    static char name[] = "cli_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

inline QString CliPath()
{
    const std::filesystem::path sim = SimProcess::ProgramPath();
    return QString::fromStdString((sim.parent_path() / "tirv-cli").string());
}

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
    bool finished = false;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    bool jsonValid() const
    {
        QJsonParseError e{};
        const QJsonDocument d = QJsonDocument::fromJson(out.toUtf8(), &e);
        return e.error == QJsonParseError::NoError && d.isObject();
    }
};

inline QStringList Args(const std::vector<std::string>& args)
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    return list;
}

// The cli's arguments for the simulator's line: its ports folder and COM number first.
inline std::vector<std::string> On(const SimProcess& sim, std::vector<std::string> args)
{
    args.insert(args.end(), {"--ports-dir", sim.portsDir(), "--port", std::to_string(sim.com())});
    return args;
}

inline CliResult RunCli(const std::vector<std::string>& args, int timeoutMs = 30000)
{
    EnsureCliApp();
    QProcess p;
    p.start(CliPath(), Args(args));
    CliResult r;
    if (!p.waitForStarted(5000))
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(2000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Runs the cli and calls `action` once its standard error shows `marker`: a fault can be set
// after the link check has passed, while the transfer that follows is still under way.
template <class Action>
CliResult RunCliWhen(const std::vector<std::string>& args, const QString& marker, Action action,
                     int timeoutMs = 60000)
{
    EnsureCliApp();
    QProcess p;
    p.start(CliPath(), Args(args));
    CliResult r;
    if (!p.waitForStarted(5000))
        return r;
    QByteArray err;
    bool acted = false;
    while (p.state() == QProcess::Running && !acted) {
        p.waitForReadyRead(100);
        err += p.readAllStandardError();
        if (QString::fromUtf8(err).contains(marker)) {
            action();
            acted = true;
        }
    }
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(2000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit && acted ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(err + p.readAllStandardError());
    return r;
}

inline QString T(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace tirv::test
