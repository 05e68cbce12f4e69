#pragma once
// The link flags that pages and the main window observe: link established, exchange in progress,
// link-check attempt in progress, device waiting in bootloader mode. One object per program; every
// change is signalled so controls can be enabled or disabled from one place.
#include <QObject>

namespace tirv {

class LinkState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool established() const { return m_established; }
    bool exchangeInProgress() const { return m_inProgress; }
    bool linkCheckAttempt() const { return m_checking; }
    bool bootloaderMode() const { return m_bootloader; }
    // A worker thread or TCP transfer runs: exchange controls stay disabled as for a paced one.
    bool busy() const { return m_inProgress || m_checking; }

    void setEstablished(bool on);
    void setExchangeInProgress(bool on);
    void setLinkCheckAttempt(bool on);
    void setBootloaderMode(bool on);

signals:
    void establishedChanged(bool on);
    void exchangeInProgressChanged(bool on);
    void linkCheckAttemptChanged(bool on);
    void bootloaderModeChanged(bool on);
    void changed();
    // The port was closed: the panel empties its serial number, version and build fields.
    void portClosed();

public:
    void notifyPortClosed() { emit portClosed(); }

private:
    bool m_established = false;
    bool m_inProgress = false;
    bool m_checking = false;
    bool m_bootloader = false;
};

}  // namespace tirv
