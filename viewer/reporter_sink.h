#pragma once
// Shows the oscillogram messages (loading, saving, COMTRADE export) through Reporter::ask, one
// OK-button box each, in the order they arise.
#include "common/oscillogram_messages.h"
#include "gui/reporter.h"

namespace tirv {

class ReporterSink : public MessageSink {
public:
    explicit ReporterSink(Reporter& reporter) : m_reporter(reporter) {}
    void show(const OscMessage& m) override
    {
        Message box;
        box.caption = m.caption;
        box.text = m.text;
        switch (m.icon) {
        case OscMessageIcon::None: box.icon = MsgIcon::None; break;
        case OscMessageIcon::Information: box.icon = MsgIcon::Information; break;
        case OscMessageIcon::Warning: box.icon = MsgIcon::Warning; break;
        case OscMessageIcon::Error: box.icon = MsgIcon::Error; break;
        }
        m_reporter.ask(box);
    }

private:
    Reporter& m_reporter;
};

}  // namespace tirv
