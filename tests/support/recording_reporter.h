#pragma once
// A Reporter for tests: records every status text, link state and message, and answers
// questions from a script (OK by default).
#include "gui/reporter.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace tirv::test {

// A message as recorded, in Qt strings so that tests compare it with their expected texts.
struct RecordedMessage {
    QString caption;
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

class RecordingReporter : public Reporter {
public:
    void status(const QString& text, StatusIcon icon) override
    {
        statuses << text;
        lastStatusIcon = icon;
    }
    void linkState(const QString& text, StatusIcon icon) override
    {
        linkStates << text;
        lastLinkIcon = icon;
    }
    void progress(int value, int max) override
    {
        lastProgress = value;
        lastProgressMax = max;
    }
    Answer ask(const Message& m) override
    {
        messages.push_back({QString::fromStdString(m.caption), QString::fromStdString(m.text),
                            m.icon, m.buttons});
        if (answers.empty())
            return defaultAnswer;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    QString lastStatus() const { return statuses.isEmpty() ? QString() : statuses.back(); }
    QString lastLinkState() const { return linkStates.isEmpty() ? QString() : linkStates.back(); }
    QStringList messageTexts() const
    {
        QStringList l;
        for (const auto& m : messages)
            l << m.text;
        return l;
    }

    QStringList statuses;
    QStringList linkStates;
    std::vector<RecordedMessage> messages;
    std::deque<Answer> answers;
    Answer defaultAnswer = Answer::Ok;
    StatusIcon lastStatusIcon = StatusIcon::None;
    StatusIcon lastLinkIcon = StatusIcon::None;
    int lastProgress = 0;
    int lastProgressMax = 0;
};

}  // namespace tirv::test
