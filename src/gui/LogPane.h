#pragma once
// The log pane: a read-only rich-text view with an image at the start of every message.
// Messages are shown at once when the pane was quiet; a burst of them (a run logging every
// element) is gathered and shown every few tens of milliseconds, so the run does not wait
// for the pane to lay out and paint each line. The pane keeps the newest lines; the log file
// keeps them all.
#include "app/Views.h"

#include <QElapsedTimer>
#include <QList>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QTimer>

namespace pelk {

class LogPane : public QTextEdit, public ILogView
{
    Q_OBJECT
public:
    explicit LogPane(QWidget *parent = nullptr);
    void AddMessage(int imageIndex, int styleIndex, const QStringList &lines) override;
    void ScrollToEnd() override;
    // Shows what is gathered now (the window does before it reads the pane).
    void Flush();

    static constexpr int kMaximumLines = 50000;
    static constexpr int kGatherMilliseconds = 40;

private:
    struct Message
    {
        int image;
        int style;
        QStringList lines;
    };
    QTextCharFormat StyleFormat(int styleIndex) const;
    void Insert(QTextCursor &cursor, const Message &message);

    QList<Message> m_pending;
    QTimer m_gather;
    QElapsedTimer m_sinceShown;
    bool m_empty = true;
};

} // namespace pelk
