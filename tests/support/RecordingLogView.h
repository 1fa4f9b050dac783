#pragma once
// A log pane that records what it receives: each message with its image, style, lines and the
// thread that showed it, and how often it was scrolled.
#include "app/Views.h"

#include <QList>
#include <QStringList>
#include <QThread>
#include <functional>

namespace pelk::test {

class RecordingLogView : public ILogView
{
public:
    struct Message
    {
        int image;
        int style;
        QStringList lines;
        QThread *thread;
    };
    QList<Message> messages;
    int scrolls = 0;
    // Called for every message as it arrives (tests react to a run's progress with it).
    std::function<void(const QStringList &)> onMessage;

    void AddMessage(int image, int style, const QStringList &lines) override
    {
        messages.append({image, style, lines, QThread::currentThread()});
        if (onMessage)
            onMessage(lines);
    }
    void ScrollToEnd() override { ++scrolls; }

    // Every line received, each message's lines joined by "\n", one message per line.
    QString AllText() const
    {
        QString out;
        for (const auto &m : messages)
            out += m.lines.join(QStringLiteral("\n")) + QStringLiteral("\n");
        return out;
    }
    // The messages received since the last call.
    QList<Message> Take()
    {
        QList<Message> out = messages;
        messages.clear();
        return out;
    }
};

} // namespace pelk::test
