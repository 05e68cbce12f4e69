#pragma once
// Everything a command talks to the relay with, put together as the window puts it together:
// the connection settings, the model in use, the link, the link session and the setpoint
// operations. Commands run one operation at a time and wait for it in the event loop.
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/terminal_reporter.h"
#include "configurator/device/device_model.h"
#include "configurator/link/connection_settings.h"
#include "configurator/link/link_session.h"
#include "configurator/link/serial_link.h"
#include "configurator/setpoints/model_profile.h"
#include "configurator/setpoints/setpoint_image.h"
#include "configurator/setpoints/setpoint_operations.h"
#include "configurator/setpoints/setpoint_transfer.h"

#include <QJsonObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tirv::cli {

// The connection settings and the model a command starts with: the configurator's defaults or
// those of a "ТИРВ.cfg", then the options.
struct StartSettings {
    ConnectionSettings connection;
    int modelCode = DeviceModel::kDefaultCode;
};
// Exit::Ok, or the exit status of an unreadable settings file (reported through `reporter`).
Exit LoadStartSettings(const Options& o, TerminalReporter& reporter, StartSettings& out);

class RelaySession {
public:
    RelaySession(const Options& options, const StartSettings& start, TerminalReporter& reporter);
    ~RelaySession();

    const Options& options() const { return m_options; }
    TerminalReporter& reporter() { return m_reporter; }
    ConnectionSettings& settings() { return m_settings; }
    DeviceModel& model() { return m_model; }
    LinkSession& session() { return *m_session; }
    SerialLink& link() { return *m_link; }
    // The setpoint tables in force: those of --model, else those of the model in use.
    const ModelProfile& profile() const { return m_profile; }
    SetpointImage& image() { return m_image; }
    SetpointOperations& setpoints() { return *m_operations; }

    // Runs the event loop until the link session's sequence has ended (nothing when none runs).
    void waitForSession();
    // Runs the event loop until `done` has been called by the operation `start` begins.
    void waitFor(const std::function<void(std::function<void()> done)>& start);

    // The link check; true when the link is up.
    bool check();

private:
    Options m_options;
    TerminalReporter& m_reporter;
    ConnectionSettings m_settings;
    DeviceModel m_model;
    ModelProfile m_profile;
    SetpointImage m_image{};
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LinkSession> m_session;
    std::unique_ptr<SetpointTransfer> m_transfer;
    std::unique_ptr<SetpointOperations> m_operations;
};

// Prints `doc` on standard output as one JSON document.
void PrintJson(const QJsonObject& doc);
// The JSON document of a failed command: its exit status and the messages shown.
QJsonObject FailureJson(Exit exit, const TerminalReporter& reporter);

}  // namespace tirv::cli
