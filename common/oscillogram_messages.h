#pragma once
// Messages of the oscillogram subsystem (loading, saving, COMTRADE export) as plain data, so that
// the viewer window, the command line and tests each show or record them their own way. The Qt
// side adapts a MessageSink to tirv::Reporter::ask (viewer/reporter_sink.h).
#include "common/message.h"

#include <string>
#include <utility>
#include <vector>

namespace tirv {

enum class OscMessageId {
    // loading an oscillogram image
    OpenFailed,           // the file could not be opened (the caller supplies the text)
    ShortFile,            // fewer than 22,300 bytes
    NoChannels,           // no analog channel recorded
    TooManyChannels,      // nA > 6
    BadStopIndex,         // stop index outside 0 … N
    BadChannelFlag,       // a channel flag other than 0 or 1
    NegativeCoefficient,  // legacy K < 0
    CoefficientOutOfRange,// legacy K outside 1000 … 10000, not negative
    BadDateTime,
    BadDigitalPosition,   // a digital record beyond N
    NoStopRecord,         // no digital record at the stop index
    BadDigitalOrder,      // digital positions not strictly increasing
    // saving the image
    SaveFailed,
    // COMTRADE export
    ComtradeNameTooLong,
    ComtradeCfgFailed,
    ComtradeHdrFailed,
    ComtradeDatFailed,
};

// One OK-button box of the subsystem, with what a caller acts on besides showing it.
struct OscMessage : Message {
    OscMessage(OscMessageId messageId, std::string boxCaption, std::string boxText,
               MsgIcon boxIcon = MsgIcon::Error, bool blocks = false)
        : Message{std::move(boxCaption), std::move(boxText), boxIcon, MsgButtons::Ok},
          id(messageId), blocking(blocks)
    {
    }
    OscMessageId id;
    bool blocking;  // a blocking load message makes the load fail
};

// Receives every message in the order it arises. Each message stands for one OK-button box.
struct MessageSink {
    virtual ~MessageSink() = default;
    virtual void show(const OscMessage& m) = 0;
};

// Keeps the messages; used by the command line (printed afterwards) and by tests.
struct CollectingSink : MessageSink {
    void show(const OscMessage& m) override { messages.push_back(m); }
    std::vector<OscMessage> messages;
};

}  // namespace tirv
