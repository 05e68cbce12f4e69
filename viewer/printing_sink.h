#pragma once
// Prints each oscillogram message as "caption: text" on a stream as it arises, the way a window
// would show one box after another: for the command line and for runs without a window.
#include "common/oscillogram_messages.h"

#include <cstdio>

namespace tirv {

struct PrintingSink : MessageSink {
    explicit PrintingSink(std::FILE* out) : m_out(out) {}
    void show(const OscMessage& m) override
    {
        std::fprintf(m_out, "%s: %s\n", m.caption.c_str(), m.text.c_str());
    }
    std::FILE* m_out;
};

}  // namespace tirv
