#include "app/Log.h"
#include "app/Views.h"
#include "config/IsoLatin2.h"
#include "support/RecordingLogView.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

using namespace pelk;

namespace {

using test::RecordingLogView;
using Shown = RecordingLogView::Message;

class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        ASSERT_TRUE(dir.isValid());
        log.SetView(&view);
        log.SetMailErrorHook([this](const QString &text) { mailed << text; });
    }
    QByteArray FileBytes() const { return test::ReadFileBytes(log.FileName()); }

    QTemporaryDir dir;
    RecordingLogView view;
    TLog log;
    QStringList mailed;
};

} // namespace

TEST_F(LogTest, KindsLevelsAndMailHook)
{
    log.OpenFile(dir.path(), 2);
    log.Info(3, QStringLiteral(" diagnostyka"));
    log.Error(3, QStringLiteral(" zbyt szczegółowy błąd"));
    log.Note(1, QStringLiteral(" n"));
    log.Info(2, QStringLiteral(" i"));
    log.Warning(1, QStringLiteral(" w"));
    log.Error(2, QStringLiteral(" e"));
    QList<QPair<int, int>> shown;
    for (const Shown &s : view.messages)
        shown.append({s.image, s.style});
    EXPECT_EQ(shown, (QList<QPair<int, int>>{{0, 6}, {0, 9}, {1, 7}, {2, 8}}));
    EXPECT_EQ(view.scrolls, 4);
    EXPECT_EQ(mailed, QStringList{QStringLiteral(" e")});
    EXPECT_EQ(FileBytes(), QByteArray("\r\n*  n\r\n\r\n*  i\r\n\r\n*  w\r\n\r\n*  e\r\n\r\n"));
}

TEST_F(LogTest, FileLayoutOfMultiLineMessage)
{
    log.OpenFile(dir.path(), 1);
    log.Error(1, QStringLiteral(" Brak pliku konfiguracyjnego: \r\n      /opt/pelk/a b.xml  "));
    log.Info(1, QStringLiteral(" Zażółć gęślą jaźń"));
    EXPECT_EQ(FileBytes(),
              QByteArray("\r\n"
                         "*  Brak pliku konfiguracyjnego: \r\n"
                         "   /opt/pelk/a b.xml\r\n"
                         "\r\n"
                         "*  Za\xbf\xf3\xb3\xe6 g\xea\xb6l\xb1 ja\xbc\xf1\r\n"
                         "\r\n"));
    ASSERT_EQ(view.messages.size(), 2);
    EXPECT_EQ(view.messages[0].lines.size(), 2);
}

TEST(LogEncoding, IsoLatin2)
{
    EXPECT_EQ(ToIsoLatin2(QStringLiteral("ą")), QByteArray("\xb1"));
    EXPECT_EQ(ToIsoLatin2(QStringLiteral("ĄŚŹśźĆĘŁŃÓŻćęłńóż")),
              QByteArray("\xa1\xa6\xac\xb6\xbc\xc6\xca\xa3\xd1\xd3\xaf\xe6\xea\xb3\xf1\xf3\xbf"));
    // Outside the character set: one '?' per character, also beyond the BMP.
    EXPECT_EQ(ToIsoLatin2(QStringLiteral("a€b😀c")), QByteArray("a?b?c"));
    EXPECT_EQ(ToIsoLatin2(QStringLiteral("\u00a0\u02d9")), QByteArray("\xa0\xff"));
}

TEST_F(LogTest, CopyOfPaneAtOpenFile)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}\\.log$")).match(log.FileName()).hasMatch())
        << log.FileName().toStdString();
    // A log of another start in the same second is kept; this one takes the next free name.
    const QString taken = dir.path() + QDir::separator() + log.FileName();
    test::WriteFileText(taken, QStringLiteral("log innego uruchomienia"));
    const QString path = taken.left(taken.size() - 4) + QStringLiteral("_2.log");

    log.Info(1, QStringLiteral(" Start aplikacji: 2026-12-08 03:37:21"));
    log.Error(1, QStringLiteral(" Brak pliku:\r\n      C:\\Pelk\\x.xml"));
    log.Info(3, QStringLiteral(" przed ustawieniem poziomu"));
    log.OpenFile(dir.path(), 3);
    EXPECT_EQ(log.FileName(), path);
    EXPECT_EQ(log.TraceLevel(), 3);
    log.Note(3, QStringLiteral(" dalej\r\n      ciąg"));

    EXPECT_EQ(test::ReadFileBytes(path),
              QByteArray("*  Start aplikacji: 2026-12-08 03:37:21\r\n"
                         "\r\n"
                         "*  Brak pliku:\r\n"
                         " C:\\Pelk\\x.xml\r\n"
                         "\r\n"
                         "*  dalej\r\n"
                         "   ci\xb1g\r\n"
                         "\r\n"));
    EXPECT_EQ(test::ReadFileText(taken), QStringLiteral("log innego uruchomienia"));
}

TEST_F(LogTest, AutomaticModeWritesTheFileAndKeepsTheMirrorForTheStartUpReport)
{
    log.OpenFile(dir.path(), 3);
    log.SetAutomatic(true);
    log.Info(1, QStringLiteral(" a"));
    log.Error(3, QStringLiteral(" b"));
    EXPECT_TRUE(view.messages.isEmpty());
    EXPECT_EQ(log.PaneElements(), QStringList({QString(), QStringLiteral(" a"), QString(), QStringLiteral(" b")}));
    EXPECT_EQ(FileBytes(), QByteArray("\r\n*  a\r\n\r\n*  b\r\n\r\n"));
    EXPECT_EQ(mailed, QStringList{QStringLiteral(" b")});
}

TEST_F(LogTest, MissingFolderOrRemovedFileStopsWritingQuietly)
{
    const QString bare = log.FileName();
    log.OpenFile(dir.filePath(QStringLiteral("brak")), 3);
    EXPECT_EQ(log.TraceLevel(), 3);
    EXPECT_EQ(log.FileName(), bare);
    log.Info(3, QStringLiteral(" tylko w panelu"));
    EXPECT_EQ(view.messages.size(), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("brak"))));

    const QString sub = dir.filePath(QStringLiteral("log"));
    ASSERT_TRUE(QDir().mkpath(sub));
    TLog second;
    second.OpenFile(sub, 1);
    const QString path = second.FileName();
    second.Info(1, QStringLiteral(" jeden"));
    ASSERT_TRUE(QFile::remove(path));
    second.Info(1, QStringLiteral(" dwa"));
    EXPECT_FALSE(QFile::exists(path));

    test::WriteFileText(path, QString());
    ASSERT_TRUE(QDir(sub).removeRecursively());
    EXPECT_NO_THROW(second.Error(1, QStringLiteral(" trzy")));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(LogTest, WorkerThreadMessagesReachPaneOnGuiThreadInOrder)
{
    log.OpenFile(dir.path(), 1);
    constexpr int perThread = 150;
    std::thread worker([this] {
        for (int i = 0; i < perThread; ++i)
            log.Warning(1, QStringLiteral(" W %1\r\n      ciąg W %1").arg(i));
    });
    for (int i = 0; i < perThread; ++i)
        log.Info(1, QStringLiteral(" M %1\r\n      ciąg M %1").arg(i));
    worker.join();

    QDeadlineTimer deadline(10000);
    while (view.messages.size() < 2 * perThread && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(view.messages.size(), 2 * perThread);

    // The pane, its mirror and the file all see the same order, each source in sequence.
    const QByteArray bytes = FileBytes();
    ASSERT_TRUE(bytes.startsWith("\r\n")); // the empty pane copied at opening
    const QStringList blocks = QString::fromLatin1(bytes.mid(2)).split(QStringLiteral("\r\n\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(blocks.size(), 2 * perThread);
    const QStringList mirror = log.PaneElements();
    ASSERT_EQ(mirror.size(), 3 * 2 * perThread);
    int next[2] = {0, 0};
    const QRegularExpression form(QStringLiteral("^\\*  ([WM]) (\\d+)\r\n   ci\xb1g \\1 \\2$"));
    for (int k = 0; k < blocks.size(); ++k) {
        const Shown &s = view.messages[k];
        EXPECT_EQ(s.thread, QCoreApplication::instance()->thread());
        const auto m = form.match(blocks[k]);
        ASSERT_TRUE(m.hasMatch()) << blocks[k].toStdString();
        const int source = m.captured(1) == QLatin1String("W") ? 0 : 1;
        EXPECT_EQ(m.captured(2).toInt(), next[source]++);
        EXPECT_EQ(s.style, source == 0 ? TLog::StyleWarning : TLog::StyleInfo);
        EXPECT_EQ(s.lines.first(), QStringLiteral(" %1 %2").arg(m.captured(1), m.captured(2)));
        EXPECT_EQ(mirror[3 * k + 1], s.lines.first());
    }
}

TEST(LogEncoding, FileBytesDecodeBackToText)
{
    const QString text = QStringLiteral("Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ, Pelk·GIS");
    EXPECT_EQ(FromIsoLatin2(ToIsoLatin2(text)), text);
    EXPECT_TRUE(ToIsoLatin2(QStringLiteral("Pelk·GIS")).contains('\xb7'));
}

TEST_F(LogTest, TheMirrorOfALongRunKeepsOnlyItsNewestPart)
{
    log.SetView(nullptr);
    const int messages = TLog::kPaneMirrorLimit; // two elements each: twice the limit
    for (int i = 0; i < messages; ++i)
        log.Note(1, QStringLiteral(" Wiadomość %1").arg(i));
    const QStringList mirror = log.PaneElements();
    EXPECT_LE(mirror.size(), TLog::kPaneMirrorLimit);
    EXPECT_GE(mirror.size(), TLog::kPaneMirrorLimit / 2);
    EXPECT_EQ(mirror.last(), QStringLiteral(" Wiadomość %1").arg(messages - 1));
}
