#include "Log.h"

#include "config/Clock.h"
#include "config/Errors.h"
#include "config/IsoLatin2.h"

#include "Views.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThread>
#include <array>

namespace pelk {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Lines of a message; "\r\n" is the separator the system writes, lone "\n" or "\r" count too.
QStringList SplitLines(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

} // namespace

TLog::TLog(QObject *parent)
    : QObject(parent), m_baseName(CurrentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss")) + QStringLiteral(".log")),
      m_fileName(m_baseName)
{}

TLog::~TLog() = default;

void TLog::SetView(ILogView *view)
{
    QMutexLocker lock(&m_mutex);
    m_view = view;
    if (!view)
        m_pendingView.clear();
}

void TLog::SetMailErrorHook(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&m_mutex);
    m_mailError = std::move(hook);
}

void TLog::Error(int level, const QString &text)
{
    Message(level, ImageError, StyleError, text);
}

void TLog::Info(int level, const QString &text)
{
    Message(level, ImageInfo, StyleInfo, text);
}

void TLog::Note(int level, const QString &text)
{
    Message(level, ImageInfo, StyleNote, text);
}

void TLog::Warning(int level, const QString &text)
{
    Message(level, ImageWarning, StyleWarning, text);
}

void TLog::Message(int level, Image image, Style style, const QString &text)
{
    const QStringList lines = SplitLines(text);
    bool toView = false;
    std::function<void(const QString &)> mail;
    {
        QMutexLocker lock(&m_mutex);
        if (level > m_traceLevel)
            return;
        // The mirror serves the copy into the log file (made early, from the first few
        // messages) and the start-up report, unattended too; a long run keeps only its newest
        // part.
        m_pane.append(QString()); // the image
        m_pane.append(lines);
        if (m_pane.size() > kPaneMirrorLimit)
            m_pane.remove(0, m_pane.size() - kPaneMirrorLimit / 2);
        if (!m_automatic && m_view) {
            m_pendingView.append({image, style, lines});
            toView = true;
        }
        WriteToFileLocked(text);
        if (image == ImageError)
            mail = m_mailError;
    }
    if (toView) {
        if (QThread::currentThread() == thread())
            FlushView();
        else
            QMetaObject::invokeMethod(this, &TLog::FlushView, Qt::QueuedConnection);
    }
    // Outside the lock: the hook may log itself.
    if (mail)
        mail(text);
}

void TLog::FlushView()
{
    // One message at a time, so a nested flush (the view processing events) keeps the order.
    for (;;) {
        PaneMessage m;
        {
            QMutexLocker lock(&m_mutex);
            if (m_pendingView.isEmpty() || !m_view)
                return;
            m = m_pendingView.takeFirst();
        }
        ShowInView(m.image, m.style, m.lines);
    }
}

void TLog::ShowInView(int image, int style, const QStringList &lines)
{
    ILogView *view;
    {
        QMutexLocker lock(&m_mutex);
        view = m_view;
    }
    if (!view)
        return;
    view->AddMessage(image, style, lines);
    view->ScrollToEnd();
}

void TLog::ScrollToEnd()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, &TLog::ScrollToEnd, Qt::QueuedConnection);
        return;
    }
    ILogView *view;
    {
        QMutexLocker lock(&m_mutex);
        view = m_view;
    }
    if (view)
        view->ScrollToEnd();
}

void TLog::SetAutomatic(bool automatic)
{
    QMutexLocker lock(&m_mutex);
    m_automatic = automatic;
}

bool TLog::Automatic() const
{
    QMutexLocker lock(&m_mutex);
    return m_automatic;
}

int TLog::TraceLevel() const
{
    QMutexLocker lock(&m_mutex);
    return m_traceLevel;
}

void TLog::SetTraceLevel(int level)
{
    QMutexLocker lock(&m_mutex);
    m_traceLevel = level;
}

QString TLog::FileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_fileName;
}

QStringList TLog::PaneElements() const
{
    QMutexLocker lock(&m_mutex);
    return m_pane;
}

void TLog::OpenFile(const QString &folder, int traceLevel)
{
    QMutexLocker lock(&m_mutex);
    m_traceLevel = traceLevel;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;

    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QDir::separator()))
        path += QDir::separator();

    // The messages logged before the folder was known, from the pane.
    QString copy;
    for (int i = 1; i < m_pane.size(); ++i) {
        // An empty element is the image that opens a message: it becomes an empty line.
        const QString &element = m_pane.at(i);
        if (element.startsWith(QLatin1String("  ")))
            copy += QLatin1Char(' ') + element.trimmed();
        else if (!element.isEmpty())
            copy += QStringLiteral("* ") + element;
        copy += kCrLf;
    }
    copy += kCrLf;

    // Another start in the same second must not overwrite that run's log: the first free
    // name of "<base>.log", "<base>_2.log", ... is taken, atomically (NewOnly).
    const QString stem = m_baseName.left(m_baseName.size() - 4);
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = path + (n == 1 ? m_baseName : QStringLiteral("%1_%2.log").arg(stem).arg(n));
        auto file = std::make_unique<QFile>(candidate);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            m_fileName = candidate;
            m_folder = path;
            file->write(ToIsoLatin2(copy));
            m_file = std::move(file);
            return;
        }
        if (!file->exists())
            return; // not writable: the run has no log file
    }
}

void TLog::DeleteOldFiles(int days)
{
    static const QRegularExpression logName(QStringLiteral("^(\\d{8}_\\d{6})(_\\d+)?\\.log$"));
    QString folder;
    {
        QMutexLocker lock(&m_mutex);
        folder = m_folder;
    }
    if (days <= 0 || folder.isEmpty())
        return;
    const QDateTime limit = CurrentDateTime().addDays(-days);
    int deleted = 0;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.log")}, QDir::Files)) {
        const QRegularExpressionMatch m = logName.match(name);
        if (!m.hasMatch())
            continue;
        // Its age is the start its name tells: a file copied or touched keeps it.
        const QDateTime started = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd_hhmmss"));
        if (!started.isValid() || started >= limit)
            continue;
        QFile file(dir.filePath(name));
        if (file.remove())
            ++deleted;
        else
            Warning(1,
                    QStringLiteral(" Nie można usunąć starego pliku dziennika:\r\n      %1: %2")
                        .arg(file.fileName(), file.errorString()));
    }
    if (deleted > 0)
        Info(2, QStringLiteral(" Usunięto pliki dziennika starsze niż %1 dni: %2").arg(days).arg(deleted));
}

void TLog::WriteToFileLocked(const QString &text)
{
    if (!m_file)
        return;
    // The file stays open for the run (unbuffered: every message is on disk as it is logged);
    // a log file removed while the program runs is not written again.
    if (!QFileInfo::exists(m_fileName)) {
        m_file.reset();
        return;
    }
    const QStringList lines = SplitLines(text);
    QString out = QStringLiteral("* ") + lines.first() + kCrLf;
    for (int i = 1; i < lines.size(); ++i)
        out += QStringLiteral("   ") + lines.at(i).trimmed() + kCrLf;
    out += kCrLf;
    m_file->write(ToIsoLatin2(out));
}

QString TLog::ExceptionText(const std::exception &e)
{
    if (const auto *pe = dynamic_cast<const Exception *>(&e))
        return pe->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace pelk
