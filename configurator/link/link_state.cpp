#include "configurator/link/link_state.h"

namespace tirv {

void LinkState::setEstablished(bool on)
{
    if (m_established == on)
        return;
    m_established = on;
    emit establishedChanged(on);
    emit changed();
}

void LinkState::setExchangeInProgress(bool on)
{
    if (m_inProgress == on)
        return;
    m_inProgress = on;
    emit exchangeInProgressChanged(on);
    emit changed();
}

void LinkState::setLinkCheckAttempt(bool on)
{
    if (m_checking == on)
        return;
    m_checking = on;
    emit linkCheckAttemptChanged(on);
    emit changed();
}

void LinkState::setBootloaderMode(bool on)
{
    if (m_bootloader == on)
        return;
    m_bootloader = on;
    emit bootloaderModeChanged(on);
    emit changed();
}

}  // namespace tirv
