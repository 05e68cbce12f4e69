#pragma once
// The simulator's end of the line: a pseudo-terminal whose other end is published as
// ports/COM<n>. POSIX only.
#include <string>

#include "sim/relay_line.h"

namespace tirv::sim {

class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Creates the pseudo-terminal and publishes it as `dir`/COM<com> (replacing an old entry
    // atomically). Returns an error text, empty on success.
    std::string Open(const std::string& dir, int com);
    // Removes the published entry if it still points at this pseudo-terminal.
    void Unpublish();

    int fd() const { return m_master; }
    const std::string& devicePath() const { return m_slavePath; }
    const std::string& linkPath() const { return m_linkPath; }
    // Speed and stop bits the peer set on its end.
    PeerLine Peer() const;
    // Throws away replies nobody has read (a peer that closed the port before reading), so a
    // full line never blocks the simulator.
    void DiscardUnread() const;

private:
    int m_master = -1;
    int m_slaveKeep = -1;  // keeps the line alive while no peer has it open
    std::string m_slavePath;
    std::string m_linkPath;
};

// "ports" beside the running program.
std::string DefaultPortsDir();

}  // namespace tirv::sim
