#include "Log.h"

#include "config/Clock.h"
#include "config/Errors.h"

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

// Unicode code points of ISO 8859-2 bytes 0xA0..0xFF; below 0xA0 the codes are Latin-1's.
// The middle dot of "Pelk·GIS" has no ISO 8859-2 code; log files have always carried it as its
// Windows-1250 byte.
constexpr uchar kMiddleDotByte = 0xB7;

constexpr std::array<char16_t, 96> kLatin2High = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, 0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD,
    0x017D, 0x017B, 0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7, 0x00B8, 0x0161, 0x015F, 0x0165,
    0x017A, 0x02DD, 0x017E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9,
    0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A,
    0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

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

QString TLog::FromIsoLatin2(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const uchar b = uchar(ch);
        out.append(b < 0xA0 ? QChar(b) : b == kMiddleDotByte ? QChar(0x00B7) : QChar(char16_t(kLatin2High[b - 0xA0])));
    }
    return out;
}

QByteArray TLog::ToIsoLatin2(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c < 0xA0) {
            out.append(char(c));
            continue;
        }
        char byte = c == 0x00B7 ? char(kMiddleDotByte) : '?';
        for (size_t i = 0; i < kLatin2High.size(); ++i) {
            if (kLatin2High[i] == c) {
                byte = char(0xA0 + i);
                break;
            }
        }
        out.append(byte);
    }
    return out;
}

QString TLog::ExceptionText(const std::exception &e)
{
    if (const auto *pe = dynamic_cast<const Exception *>(&e))
        return pe->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace pelk
