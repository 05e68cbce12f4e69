#pragma once
// The ending the I/O and LED block reads share when the relay holds no records: the status and
// the question whether to store the minimal set; on OK function 32 (Modbus; the ТИРВ protocol
// has no such request and only reads again), its wait, and the read again. A relay still empty
// after that is not asked twice. An abort requested while the question is open or function 32
// is on its way ends the transfer there: nothing more is sent.
#include "configurator/iocfg/io_operation.h"

#include <functional>

namespace tirv {

class ChunkedTransfer;

class MinimalSetOffer {
public:
    struct Steps {
        const char* emptyStatus = nullptr;  // shown with the error icon
        const char* question = nullptr;  // OK/Cancel, caption "Чтение из устройства завершено"
        std::function<void()> readAgain;
        std::function<void(IoTransferEnd)> finish;  // Empty, or Failed when function 32 failed
        std::function<bool()> abortRequested;
        std::function<void()> aborted;  // the owner's own words and Aborted ending
    };

    // `owner` carries the deferred steps (and cancels them when it goes away).
    MinimalSetOffer(QObject& owner, ChunkedTransfer& transfer, Reporter& reporter, Steps steps);

    // A read started by the user: the relay may be asked again.
    void reset() { m_offered = false; }
    // After a complete read: false when the block holds something, for the caller to decode.
    // Otherwise this takes the ending over. `tcp` reads are never offered the minimal set;
    // `failureText` is the status of a function-32 request that could not be sent.
    bool takeEmpty(bool allZero, bool tcp, const SetpointLink& wire, const QString& failureText);

private:
    void continueAfterQuestion();
    void sendMinimalSet();
    void onSent(const TransferOutcome& o);

    QObject& m_owner;
    ChunkedTransfer& m_transfer;
    Reporter& m_reporter;
    Steps m_steps;
    SetpointLink m_wire;
    QString m_failureText;
    bool m_offered = false;
};

}  // namespace tirv
