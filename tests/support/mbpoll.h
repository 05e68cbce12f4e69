#pragma once
// mbpoll, Debian's independent Modbus master, on a simulator's line: what the program shows is
// checked against what a master written by others reads from the same registers.
#include "support/sim_process.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace tirv::test {

// Runs a command and returns what it printed (mbpoll, the independent master of the line).
inline std::string RunShell(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        std::array<char, 256> buf{};
        while (fgets(buf.data(), int(buf.size()), p))
            out += buf.data();
        pclose(p);
    }
    return out;
}

// The values of "[reg]: value" lines, in order.
inline std::vector<int> MbpollValues(const std::string& out)
{
    std::vector<int> v;
    for (const QString& line : QString::fromStdString(out).split('\n'))
        if (line.startsWith('[') && line.contains(QStringLiteral("]:")))
            v.push_back(line.section(':', 1).trimmed().toInt());
    return v;
}

// Holding registers `start`… of relay `address` at 57600 bit/s, as mbpoll prints them.
inline std::string MbpollRead(const SimProcess& sim, int start, int count, int address = 1)
{
    return RunShell("mbpoll -m rtu -b 57600 -P none -s 1 -a " + std::to_string(address) +
                    " -t 4 -0 -1 -o 1 -r " + std::to_string(start) + " -c " +
                    std::to_string(count) + " " + sim.portPath() + " 2>&1");
}

// Whether mbpoll is installed (the tests that use it are skipped without it).
inline bool HaveMbpoll()
{
    return !RunShell("command -v mbpoll").empty();
}

}  // namespace tirv::test
