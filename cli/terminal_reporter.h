#pragma once
// The Reporter of tirv-cli: every status text, link state and message goes to standard error as
// it appears (messages as "caption: text"); progress is a one-line counter on a terminal and plain
// lines otherwise; questions are answered from --yes / --no and never read from standard input.
#include "gui/reporter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tirv::cli {

enum class AnswerPolicy { Decline, Accept };

class TerminalReporter : public Reporter {
public:
    TerminalReporter(AnswerPolicy policy, std::FILE* out, bool terminal);
    ~TerminalReporter() override;

    void status(const QString& text, StatusIcon icon) override;
    void linkState(const QString& text, StatusIcon icon) override;
    void progress(int value, int max) override;
    Answer ask(const Message& m) override;

    // Every message shown, in order ("caption: text"), for the JSON document of a failure.
    const std::vector<std::string>& messages() const { return m_messages; }
    // The last status or link-state text written.
    const std::string& lastLine() const { return m_lastLine; }
    // Whether a message with this text was shown since the last clearSeen().
    bool seen(const char* text) const;
    void clearSeen() { m_seenFrom = m_messages.size(); }
    // Prints a line of the program's own (same stream, same progress handling).
    void line(const std::string& text);

private:
    void endProgressLine();
    void drawCounter();

    AnswerPolicy m_policy;
    std::FILE* m_out;
    bool m_terminal;
    bool m_progressShown = false;
    int m_lastValue = -1;
    int m_lastMax = -1;
    std::string m_lastStatus;
    std::string m_lastLink;
    std::string m_lastLine;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_texts;
    std::size_t m_seenFrom = 0;
};

// The answer a question gets under `policy`, for the buttons it offers.
Answer AnswerFor(AnswerPolicy policy, MsgButtons buttons);

}  // namespace tirv::cli
