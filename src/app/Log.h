#pragma once
// The one logging facility: level-filtered messages to the log pane and the log file,
// errors also to the error-mail hook. Messages may come from any thread: pane updates are
// delivered on the GUI thread, file writes are serialised.
#include <QFile>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>

namespace pelk {

class ILogView;

class TLog : public QObject
{
    Q_OBJECT
public:
    enum Image { ImageInfo = 0, ImageWarning = 1, ImageError = 2 };
    enum Style { StyleNote = 6, StyleWarning = 7, StyleError = 8, StyleInfo = 9 };

    explicit TLog(QObject *parent = nullptr);
    ~TLog() override;

    void SetView(ILogView *view);
    void SetMailErrorHook(std::function<void(const QString &)> hook);

    void Error(int level, const QString &text);
    void Info(int level, const QString &text);
    void Note(int level, const QString &text);
    void Warning(int level, const QString &text);

    // The text of a caught exception (app/Guarded.h logs it under its heading).
    static QString ExceptionText(const std::exception &e);

    void SetAutomatic(bool automatic);
    bool Automatic() const;
    int TraceLevel() const;
    void SetTraceLevel(int level);
    // Full path once OpenFile found its folder; the bare "yyyymmdd_hhnnss.log" before.
    QString FileName() const;

    void OpenFile(const QString &folder, int traceLevel);
    // Deletes the log files ("yyyymmdd_hhnnss.log", "yyyymmdd_hhnnss_N.log") of the folder
    // OpenFile opened that were started more than `days` days ago by their names; nothing else
    // of the folder. Logs what it deleted and what it could not delete. 0 keeps every file.
    void DeleteOldFiles(int days);
    void ScrollToEnd();

    // What the pane received so far, one entry per pane element (an empty entry for the image
    // that opens each message, then one entry per text line); at most kPaneMirrorLimit of the
    // newest elements.
    QStringList PaneElements() const;
    static constexpr int kPaneMirrorLimit = 20000;

private:
    struct PaneMessage
    {
        int image;
        int style;
        QStringList lines;
    };

    void Message(int level, Image image, Style style, const QString &text);
    void ShowInView(int image, int style, const QStringList &lines);
    // Hands the queued pane messages to the view, in the order they were logged (GUI thread).
    void FlushView();
    // Appends one message in the file layout; the caller holds m_mutex.
    void WriteToFileLocked(const QString &text);

    mutable QMutex m_mutex;
    ILogView *m_view = nullptr;
    std::function<void(const QString &)> m_mailError;
    QString m_baseName; // "yyyymmdd_hhnnss.log" of the creation time
    QString m_fileName;
    QString m_folder;              // of the open log file
    std::unique_ptr<QFile> m_file; // open once OpenFile found its folder
    QList<PaneMessage> m_pendingView;
    int m_traceLevel = 1;
    bool m_automatic = false;
    QStringList m_pane;
};

} // namespace pelk
