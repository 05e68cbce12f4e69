#pragma once
// The configuration page (page 16, dialog 121): the relay's type and serial number, read (5800)
// and written (5801) through the main window's commands. A written type that differs from the
// configurator's model switches the model, as choosing it in the connection panel does. The
// serial-number field is disabled, as in the page template; the serial write runs only while
// something has enabled it.
#include "configurator/service/device_identity_control.h"
#include "configurator/ui/page.h"

#include <QPointer>

namespace tirv {

enum IdentityCtl : int {
    CtlIdentityType = 5802,
    CtlIdentitySerial = 5803,
};

class DeviceIdentityPage : public Page {
public:
    // `knownSerial`: the serial number the last link check found, if any.
    DeviceIdentityPage(Shell& shell, DeviceIdentityControl& control,
                       std::function<std::optional<int>()> knownSerial, QWidget* parent = nullptr);
    ~DeviceIdentityPage() override;

    void command(int id) override;
    void pageShown() override;
    void setControlsLocked(bool locked) override;
    DeviceIdentityControl* identity() const { return m_control; }

private:
    void read();
    void write();
    void showModel();
    void showSerialInPanel(int serial);

    // The operation may go before the page when the program closes.
    QPointer<DeviceIdentityControl> m_control;
    std::function<std::optional<int>()> m_knownSerial;
};

}  // namespace tirv
