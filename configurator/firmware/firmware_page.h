#pragma once
// The firmware update page (page 17, dialog 122): the file of the current family, start
// (6010, update) and verify-only (6011, M models), stop, the progress list ("Время",
// "Выполнение"), the progress bar, the non-M timing fields and the optional protocol file.
// The loaded image is dropped whenever the model class changes.
#include "configurator/firmware/firmware_file.h"
#include "configurator/firmware/firmware_update_protocol.h"
#include "configurator/firmware/firmware_update_relay.h"
#include "configurator/firmware/firmware_update_stm32.h"
#include "configurator/ui/page.h"

#include <functional>
#include <optional>

namespace tirv {

class SerialLink;

// Control ids of the page (the dialog gives none but the two commands).
enum FirmwareCtl : int {
    CtlFwFileName = 6001,
    CtlFwChooseFile = 6002,
    CtlFwList = 6003,
    CtlFwProgress = 6004,
    CtlFwEraseMs = 6005,
    CtlFwPageMs = 6006,
    CtlFwInitMs = 6007,
    CtlFwProtocolOn = 6008,
    CtlFwProtocolFile = 6009,
    CtlFwWrite = 6010,   // = the page command "write"
    CtlFwVerify = 6011,  // = the page command "read": verify-only
    CtlFwStop = 6012,
    CtlFwChooseProtocol = 6013,
    CtlFwEnded = 6020,  // the run has ended (posted by the M thread's completion)
};

class FirmwareUpdatePage : public Page {
public:
    // `header` gives the relay's identity for the protocol file (empty fields when unknown).
    FirmwareUpdatePage(Shell& shell, SerialLink& link, const ConnectionSettings& settings,
                       std::function<ProtocolHeaderFields()> header = {},
                       QWidget* parent = nullptr);
    ~FirmwareUpdatePage() override;

    void command(int id) override;
    void setControlsLocked(bool locked) override;
    const std::optional<FirmwareImage>& image() const { return m_image; }
    bool running() const;

private:
    void chooseFile();
    void chooseProtocol();
    void run(UpdateMode mode);
    void addRow(const QString& text, bool timed);
    void frame(bool sent, const QByteArray& bytes);
    void ended(const UpdateEnd& end);
    void showFamily();
    RelayUpdateTiming takeTiming();

    const ConnectionSettings& m_settings;
    RelayFirmwareUpdate m_relay;
    Stm32FirmwareUpdate m_stm32;
    std::function<ProtocolHeaderFields()> m_header;
    std::optional<FirmwareImage> m_image;
    UpdateProtocolFile m_protocol;
    std::function<void(bool)> m_done;  // the main window's exchange completion
};

}  // namespace tirv
