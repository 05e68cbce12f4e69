#include "cli/terminal_reporter.h"

#include "cli/texts.h"

#include <algorithm>

namespace tirv::cli {

namespace {

// Which answer means "go on" and which "stop" for each set of buttons. Retry counts as neither
// OK nor Yes: a script answering it could loop for ever, so it always gets Cancel.
struct ButtonAnswers {
    MsgButtons buttons;
    Answer accept;
    Answer decline;
};
constexpr ButtonAnswers kAnswers[] = {
    {MsgButtons::Ok, Answer::Ok, Answer::Ok},
    {MsgButtons::OkCancel, Answer::Ok, Answer::Cancel},
    {MsgButtons::YesNo, Answer::Yes, Answer::No},
    {MsgButtons::YesNoCancel, Answer::Yes, Answer::No},
    {MsgButtons::RetryCancel, Answer::Cancel, Answer::Cancel},
};

const char* AnswerWord(Answer a)
{
    switch (a) {
        case Answer::Ok:
            return texts::kAnswerOk;
        case Answer::Cancel:
            return texts::kAnswerCancel;
        case Answer::Yes:
            return texts::kAnswerYes;
        case Answer::No:
            return texts::kAnswerNo;
        case Answer::Retry:
            return texts::kAnswerRetry;
    }
    return "";
}

}  // namespace

Answer AnswerFor(AnswerPolicy policy, MsgButtons buttons)
{
    for (const ButtonAnswers& row : kAnswers)
        if (row.buttons == buttons)
            return policy == AnswerPolicy::Accept ? row.accept : row.decline;
    return Answer::Cancel;
}

TerminalReporter::TerminalReporter(AnswerPolicy policy, std::FILE* out, bool terminal)
    : m_policy(policy), m_out(out), m_terminal(terminal)
{
}

TerminalReporter::~TerminalReporter()
{
    // A counter still shown at the end stays, closed by its newline.
    if (m_progressShown)
        std::fputc('\n', m_out);
}

void TerminalReporter::endProgressLine()
{
    // The counter goes away with the bar, as the status bar hides it.
    if (m_progressShown) {
        std::fputs("\r\033[K", m_out);
        m_progressShown = false;
    }
}

void TerminalReporter::drawCounter()
{
    std::fprintf(m_out, "\r\033[K%s %d/%d", texts::kProgress, m_lastValue, m_lastMax);
    m_progressShown = true;
}

void TerminalReporter::line(const std::string& text)
{
    // On a terminal the counter stays the last line: a text is written above it.
    const bool counter = m_progressShown;
    endProgressLine();
    std::fprintf(m_out, "%s\n", text.c_str());
    if (counter)
        drawCounter();
    std::fflush(m_out);
}

// The status bar shows a text until the next one replaces it; a line is written when the text
// changes, so a sequence that sets the same text again does not repeat it.
void TerminalReporter::status(const QString& text, StatusIcon)
{
    const std::string t = text.toStdString();
    if (t == m_lastStatus)
        return;
    m_lastStatus = t;
    if (text.trimmed().isEmpty())
        return;
    m_lastLine = t;
    line(t);
}

void TerminalReporter::linkState(const QString& text, StatusIcon)
{
    const std::string t = text.toStdString();
    if (t == m_lastLink)
        return;
    m_lastLink = t;
    if (text.trimmed().isEmpty())
        return;
    m_lastLine = t;
    line(t);
}

void TerminalReporter::progress(int value, int max)
{
    if (max <= 0) {
        // The bar is hidden: the counter line is finished.
        endProgressLine();
        m_lastValue = m_lastMax = -1;
        return;
    }
    if (value == m_lastValue && max == m_lastMax)
        return;
    m_lastValue = value;
    m_lastMax = max;
    if (m_terminal) {
        drawCounter();
    } else {
        std::fprintf(m_out, "%s %d/%d\n", texts::kProgress, value, max);
    }
    std::fflush(m_out);
}

Answer TerminalReporter::ask(const Message& m)
{
    const std::string shown = m.caption + ": " + m.text;
    m_messages.push_back(shown);
    m_texts.push_back(m.text);
    line(shown);
    const Answer a = AnswerFor(m_policy, m.buttons);
    if (m.buttons != MsgButtons::Ok)
        line(std::string(texts::kAnswered) + AnswerWord(a));
    return a;
}

bool TerminalReporter::seen(const char* text) const
{
    return std::find(m_texts.begin() + static_cast<std::ptrdiff_t>(m_seenFrom), m_texts.end(),
                     text) != m_texts.end();
}

}  // namespace tirv::cli
