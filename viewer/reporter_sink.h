#pragma once
// Shows the oscillogram messages (loading, saving, COMTRADE export) through Reporter::ask, one
// OK-button box each, in the order they arise.
#include "common/oscillogram_messages.h"
#include "gui/reporter.h"

namespace tirv {

class ReporterSink : public MessageSink {
public:
    explicit ReporterSink(Reporter& reporter) : m_reporter(reporter) {}
    void show(const OscMessage& m) override { m_reporter.ask(m); }

private:
    Reporter& m_reporter;
};

}  // namespace tirv
