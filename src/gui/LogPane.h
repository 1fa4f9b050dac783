#pragma once
// The log pane: a read-only rich-text view with an image at the start of every message.
#include "app/Views.h"

#include <QTextCharFormat>
#include <QTextEdit>

namespace pelk {

class LogPane : public QTextEdit, public ILogView
{
    Q_OBJECT
public:
    explicit LogPane(QWidget *parent = nullptr);
    void AddMessage(int imageIndex, int styleIndex, const QStringList &lines) override;
    void ScrollToEnd() override;

private:
    QTextCharFormat StyleFormat(int styleIndex) const;
    bool m_empty = true;
};

} // namespace pelk
