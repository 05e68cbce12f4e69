#include "configurator/link/serial_link.h"

#include "configurator/link/port_setup.h"
#include "configurator/link/serial_port.h"

namespace tirv {

SerialLink::SerialLink(Reporter& reporter, const ConnectionSettings& settings,
                       std::function<bool()> mModel, std::unique_ptr<Port> port,
                       QString portsFolder, QObject* parent)
    : QObject(parent),
      m_reporter(reporter),
      m_settings(settings),
      m_mModel(std::move(mModel)),
      m_portsFolder(std::move(portsFolder)),
      m_port(port ? std::move(port) : std::make_unique<SerialPort>(m_portsFolder)),
      m_paced(*m_port),
      m_defaultCheck(context(), m_paced),
      m_checker(&m_defaultCheck),
      m_transfer(context(), m_paced, *m_checker),
      m_worker(reporter, m_state,
               [folder = m_portsFolder] { return std::make_unique<SerialPort>(folder); }),
      m_tcp(reporter, m_state)
{
}

SerialLink::~SerialLink()
{
    m_worker.stop();
    m_tcp.stop();
}

LinkContext SerialLink::context()
{
    return {*m_port, m_state, m_reporter, m_settings, m_mModel};
}

void SerialLink::setLinkChecker(LinkChecker* checker)
{
    m_checker = checker ? checker : &m_defaultCheck;
    m_transfer.setLinkChecker(*m_checker);
}

bool SerialLink::startWorker(std::unique_ptr<WorkerJob> job)
{
    if (m_state.busy() || m_worker.running() || m_tcp.running())
        return false;
    // The worker opens the port itself; two handles on one line would steal each other's bytes.
    ClosePort(*m_port, m_state);
    PortOpening opening;
    opening.number = m_settings.port;
    opening.line = LineFor(m_settings, m_mModel());
    opening.protocol = m_settings.protocol;
    return m_worker.start(std::move(job), opening, m_settings.repeatCount);
}

void SerialLink::abort()
{
    if (m_transfer.busy())
        m_transfer.abort();
    if (m_paced.busy())
        m_paced.abort();
    if (m_state.linkCheckAttempt())
        m_checker->abortCheck();
    m_worker.abort();
    m_tcp.abort();
}

void SerialLink::closePort() { ClosePort(*m_port, m_state); }

}  // namespace tirv
