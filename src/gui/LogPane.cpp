#include "LogPane.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace pelk {

namespace {
QUrl ImageUrl(int index)
{
    return QUrl(QStringLiteral("log-image:%1").arg(index));
}
} // namespace

LogPane::LogPane(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->setDocumentMargin(5);
    document()->setMaximumBlockCount(kMaximumLines);
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window).lighter(110));
    setPalette(p);
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
                                            QStyle::SP_MessageBoxCritical};
    for (int i = 0; i < 3; ++i)
        document()->addResource(QTextDocument::ImageResource, ImageUrl(i),
                                style()->standardIcon(icons[i]).pixmap(16, 16).toImage());
    m_gather.setSingleShot(true);
    m_gather.setInterval(kGatherMilliseconds);
    connect(&m_gather, &QTimer::timeout, this, &LogPane::Flush);
}

QTextCharFormat LogPane::StyleFormat(int styleIndex) const
{
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("Arial")});
    f.setFontPointSize(10);
    switch (styleIndex) {
    case 7: f.setForeground(QColor(128, 0, 0)); break; // maroon
    case 8: f.setForeground(Qt::red); break;
    case 9: f.setForeground(Qt::blue); break;
    default: f.setForeground(palette().color(QPalette::WindowText)); break;
    }
    return f;
}

void LogPane::AddMessage(int imageIndex, int styleIndex, const QStringList &lines)
{
    m_pending.append({imageIndex, styleIndex, lines});
}

void LogPane::ScrollToEnd()
{
    // A quiet pane shows the message at once; within a burst the timer shows the gathered
    // messages together (it fires whenever the run lets events through).
    if (!m_sinceShown.isValid() || m_sinceShown.elapsed() >= kGatherMilliseconds)
        Flush();
    else if (!m_gather.isActive())
        m_gather.start();
}

void LogPane::Flush()
{
    m_gather.stop();
    if (!m_pending.isEmpty()) {
        QTextCursor c(document());
        c.movePosition(QTextCursor::End);
        c.beginEditBlock();
        for (const Message &m : std::as_const(m_pending))
            Insert(c, m);
        c.endEditBlock();
        m_pending.clear();
    }
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->repaint();
    m_sinceShown.restart();
}

void LogPane::Insert(QTextCursor &c, const Message &m)
{
    if (!m_empty)
        c.insertBlock();
    m_empty = false;
    QTextImageFormat img;
    img.setName(ImageUrl(m.image).toString());
    img.setWidth(16);
    img.setHeight(16);
    img.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    c.insertImage(img);
    const QTextCharFormat f = StyleFormat(m.style);
    for (int i = 0; i < m.lines.size(); ++i) {
        if (i > 0)
            c.insertBlock();
        c.insertText(m.lines.at(i), f);
    }
}

} // namespace pelk
