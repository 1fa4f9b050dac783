#include "Process.h"

#include "Log.h"
#include "Views.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

namespace pelk {

namespace {

const char *const kFullSummary = " Przetworzono obiekt: %s\r\n      Liczba wszystkich elementów obiektu: %d\r\n"
                                 "        Liczba przetworzonych elementów obiektu: %d \r\n        - nowych: %d \r\n"
                                 "        - zaktualizowanych: %d \r\n        - nie zmienionych: %d \r\n"
                                 "        Liczba nieprzetworzonych elementów obiektu: %d\r\n"
                                 "      Liczba usuniętych obiektów: %d";

const char *const kShortSummary = " Przetworzono obiekt: %s\r\n      Liczba wszystkich elementów obiektu: %d\r\n"
                                  "        Liczba przetworzonych elementów obiektu: %d ";

const char *const kVersionLine = "      Plik: %s %s";

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

QString VersionLine(const QString &fileName, const QString &version)
{
    return QString::asprintf(kVersionLine, fileName.toUtf8().constData(), version.toUtf8().constData()) + QStringLiteral("\r\n");
}

} // namespace

TProcess::TProcess(TLog *log, QObject *parent) : TPersistent(parent), m_log(log) {}

void TProcess::BindControls(IProgressView *view)
{
    m_view = view;
}

void TProcess::SetCountObj(int n)
{
    m_countObj = n;
    ++m_runSerial;
    m_reports.clear();
    m_runUnfinished = m_kindUnfinished = false;
    if (m_view) {
        m_view->SetObjectLabel(QString());
        m_view->SetElementLabel(QString());
    }
    ResetBar(KindObject, n);
    ResetBar(KindElement, 1);
}

void TProcess::SetCountElem(int n)
{
    m_countElem = n;
    if (n != 0) {
        m_totalElements += n;
    } else {
        m_totalElements = 0;
        m_processed = m_notProcessed = 0;
        m_newCount = m_updatedCount = m_unchangedCount = m_deletedCount = 0;
        m_refusedCount = 0;
    }
    ResetBar(KindElement, n);
    ShowProgress(KindElement, QString(), 0);
}

void TProcess::SetCountDezaktyw(int n)
{
    m_countDezaktyw = n;
    ResetBar(KindDeactivation, n);
    ShowProgress(KindDeactivation, QString(), 0);
}

void TProcess::ResetBar(int kind, int n)
{
    if (m_view && kind >= KindObject && kind <= KindDeactivation) {
        const auto bar = kind == KindObject ? IProgressView::ObjectBar : IProgressView::ElementBar;
        m_view->ResetBar(bar, n > 0 ? n * BarStep : BarStep);
    }
    ProcessPendingEvents();
}

void TProcess::ShowProgress(int kind, const QString &text, int number)
{
    switch (kind) {
    case KindObject:
        if (m_view)
            m_view->SetObjectLabel(text);
        break;
    case KindElement:
    case KindElementQuiet: {
        const QString label = QStringLiteral("%1/%2").arg(number).arg(m_countElem);
        if (m_view)
            m_view->SetElementLabel(label);
        if (kind == KindElement && number > 0 && m_log)
            m_log->Info(2, QStringLiteral(" Przetwarzany element: ") + label);
        break;
    }
    case KindDeactivation:
        if (m_view)
            m_view->SetElementLabel(QStringLiteral("%1: %2/%3").arg(text).arg(number).arg(m_countDezaktyw));
        break;
    default: break;
    }
    ProcessPendingEvents();
}

void TProcess::StepProgress(int kind, const QString &text)
{
    switch (kind) {
    case KindObject:
    case KindObjectShort:
        if (m_view)
            m_view->StepBar(IProgressView::ObjectBar, BarStep);
        if (m_log)
            m_log->Info(1, kind == KindObject ? FullSummary(text) : ShortSummary(text));
        RecordKind(text);
        break;
    case KindElement:
    case KindDeactivation:
    case KindElementQuiet:
        if (m_view)
            m_view->StepBar(IProgressView::ElementBar, BarStep);
        break;
    default: break;
    }
    ProcessPendingEvents();
}

void TProcess::ElementDone(bool success, bool refused)
{
    if (!success && refused)
        ++m_refusedCount;
    if (success) {
        ++m_processed;
        if (m_log)
            m_log->Info(2, QStringLiteral(" Obiekt przetworzony poprawnie"));
    } else {
        ++m_notProcessed;
        if (m_log)
            m_log->Warning(2, QStringLiteral(" Obiekt nieprzetworzony poprawnie"));
    }
    StepProgress(KindElement, QString());
}

void TProcess::CountResult(int resultKind, bool counted)
{
    if (counted) {
        int *counter = nullptr;
        QString line;
        switch (resultKind) {
        case ResultNew:
            counter = &m_newCount;
            line = QStringLiteral(" Nowy obiekt");
            break;
        case ResultUpdated:
            counter = &m_updatedCount;
            line = QStringLiteral(" Zaktualizowany obiekt");
            break;
        case ResultUnchanged:
            counter = &m_unchangedCount;
            line = QStringLiteral(" Nie zmodyfikowany obiekt");
            break;
        case ResultDeleted:
            counter = &m_deletedCount;
            line = QStringLiteral(" Usunięty obiekt");
            break;
        default: break;
        }
        if (counter) {
            ++*counter;
            if (m_log)
                m_log->Note(2, line);
        }
    }
    ProcessPendingEvents();
}

void TProcess::BeginKind()
{
    m_kindClock.start();
    m_kindUnfinished = false;
}

void TProcess::MarkUnfinished()
{
    m_kindUnfinished = m_runUnfinished = true;
}

void TProcess::RecordKind(const QString &label)
{
    RKindReport report;
    report.Label = label;
    report.Listed = m_totalElements;
    report.New = m_newCount;
    report.Updated = m_updatedCount;
    report.Unchanged = m_unchangedCount;
    report.Refused = m_refusedCount;
    report.Failed = m_notProcessed - m_refusedCount;
    report.Seconds = m_kindClock.isValid() ? m_kindClock.elapsed() / 1000.0 : 0;
    report.Unfinished = m_kindUnfinished;
    m_reports.append(report);
    m_kindUnfinished = false;
}

int TProcess::RunExitCode() const
{
    const bool leftOver = m_runUnfinished
        || std::any_of(m_reports.begin(), m_reports.end(), [](const RKindReport &r) { return r.LeavesWork(); });
    return leftOver ? ExitCode::Unfinished : ExitCode::Complete;
}

void TProcess::SetElementLabelText(const QString &text)
{
    if (m_view)
        m_view->SetElementLabel(text);
    ProcessPendingEvents();
}

QString TProcess::FullSummary(const QString &label) const
{
    return QString::asprintf(kFullSummary, label.toUtf8().constData(), m_totalElements, m_processed, m_newCount, m_updatedCount,
                             m_unchangedCount, m_notProcessed, m_deletedCount);
}

QString TProcess::ShortSummary(const QString &label) const
{
    return QString::asprintf(kShortSummary, label.toUtf8().constData(), m_totalElements, m_processed);
}

QString TProcess::ModuleVersion()
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(PELK_VERSION_MAJOR)
        .arg(PELK_VERSION_MINOR)
        .arg(PELK_VERSION_PATCH)
        .arg(PELK_VERSION_TWEAK);
}

QString TProcess::CommentVersion(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    static const QString open = QStringLiteral("<!-- ");
    static const QString close = QStringLiteral(" -->");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const int end = line.indexOf(close);
        if (end < 0 || !line.contains(open))
            continue;
        return end > 5 ? line.mid(5, end - 5) : QString();
    }
    return QString();
}

QString TProcess::RulesVersionLine(const QString &folder)
{
    if (folder.isEmpty())
        return QString();
    const QString name = QStringLiteral("ObjectRules.xml");
    const QString path = JoinPath(folder, name);
    if (!QFileInfo(path).isFile())
        return QString();
    const QString version = CommentVersion(path);
    return version.isEmpty() ? QString() : VersionLine(name, version);
}

QString TProcess::StylesheetVersionLines(const QString &folder)
{
    QString out;
    if (folder.isEmpty())
        return out;
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.xsl")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : files) {
        const QString version = CommentVersion(dir.filePath(name));
        if (!version.isEmpty())
            out += VersionLine(name, version);
    }
    return out;
}

} // namespace pelk
