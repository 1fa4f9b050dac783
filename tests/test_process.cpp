#include "app/Log.h"
#include "app/Process.h"
#include "app/Views.h"
#include "support/RecordingProgressView.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pelk;

namespace {

using test::RecordingProgressView;

class ProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        log.OpenFile(dir.path(), 3);
        process.BindControls(&view);
    }
    QString FileText() const { return QString::fromLatin1(test::ReadFileBytes(log.FileName())); }

    QTemporaryDir dir;
    TLog log;
    TProcess process{&log};
    RecordingProgressView view;
};

const auto E = IProgressView::ElementBar;
const auto O = IProgressView::ObjectBar;

} // namespace

TEST_F(ProcessTest, CountElemAccumulatesAndResets)
{
    process.SetCountElem(0);
    process.SetCountElem(5);
    process.SetCountElem(3);
    EXPECT_EQ(process.TotalElements(), 8);
    EXPECT_EQ(view.elementLabel, "0/3");
    EXPECT_EQ(view.BarMaximum(E), 30);
    EXPECT_FALSE(FileText().contains("Przetwarzany element"));

    process.ElementDone(false);
    process.CountResult(TProcess::ResultNew, true);
    process.SetCountElem(0);
    EXPECT_EQ(process.TotalElements() + process.NotProcessed() + process.NewCount(), 0);
    EXPECT_EQ(view.BarMaximum(E), 10);
}

TEST_F(ProcessTest, BarsLabelsAndElementLines)
{
    process.SetCountObj(2);
    EXPECT_EQ(view.objectLabel, "");
    EXPECT_EQ(view.elementLabel, "");
    EXPECT_EQ(view.BarMaximum(O), 20);
    EXPECT_EQ(view.BarMaximum(E), 10);

    process.ShowProgress(TProcess::KindObject, QStringLiteral("Klient"), 0);
    EXPECT_EQ(view.objectLabel, "Klient");
    process.SetCountElem(0);
    process.SetCountElem(4);
    process.ShowProgress(TProcess::KindElement, QString(), 2);
    EXPECT_EQ(view.elementLabel, "2/4");
    process.ShowProgress(TProcess::KindElementQuiet, QString(), 3);
    EXPECT_EQ(view.elementLabel, "3/4");
    process.ElementDone(true);
    process.ElementDone(false);
    EXPECT_EQ(view.BarPosition(E), 20);
    EXPECT_EQ(process.Processed(), 1);
    EXPECT_EQ(process.NotProcessed(), 1);
    process.StepProgress(TProcess::KindObject, QStringLiteral("Klient"));
    EXPECT_EQ(view.BarPosition(O), 10);

    const QString file = FileText();
    EXPECT_TRUE(file.contains("*  Przetwarzany element: 2/4\r\n"));
    EXPECT_FALSE(file.contains("Przetwarzany element: 3/4"));
    EXPECT_TRUE(file.contains("*  Obiekt przetworzony poprawnie\r\n"));
    EXPECT_TRUE(file.contains("*  Obiekt nieprzetworzony poprawnie\r\n"));

    process.SetCountDezaktyw(4);
    EXPECT_EQ(view.BarMaximum(E), 40);
    EXPECT_EQ(view.elementLabel, ": 0/4");
    process.ShowProgress(TProcess::KindDeactivation, QStringLiteral("Dezaktywacja"), 1);
    process.StepProgress(TProcess::KindDeactivation, QString());
    EXPECT_EQ(view.elementLabel, "Dezaktywacja: 1/4");
    EXPECT_EQ(view.BarPosition(E), 10);
}

TEST_F(ProcessTest, CountResult)
{
    const QStringList before = log.PaneElements();
    for (int kind = 0; kind < 4; ++kind)
        process.CountResult(kind, false);
    process.CountResult(7, true);
    EXPECT_EQ(log.PaneElements(), before);

    for (int kind : {0, 1, 1, 2, 3})
        process.CountResult(kind, true);
    EXPECT_EQ(QList<int>({process.NewCount(), process.UpdatedCount(), process.UnchangedCount(), process.DeletedCount()}),
              QList<int>({1, 2, 1, 1}));
    EXPECT_TRUE(test::ReadFileBytes(log.FileName())
                    .endsWith("*  Nowy obiekt\r\n\r\n*  Zaktualizowany obiekt\r\n\r\n"
                              "*  Zaktualizowany obiekt\r\n\r\n*  Nie zmodyfikowany obiekt\r\n\r\n"
                              "*  Usuni\xeaty obiekt\r\n\r\n"));
}

TEST_F(ProcessTest, TraceLevelOneKeepsOnlySummaries)
{
    QTemporaryDir quietDir; // the fixture's log may carry the same file name
    TLog quiet;
    quiet.OpenFile(quietDir.path() + "/", 1);
    TProcess p(&quiet); // headless
    p.SetCountObj(2);
    p.ShowProgress(TProcess::KindObject, QStringLiteral("Klient"), 0);
    p.SetCountElem(0);
    p.StepProgress(TProcess::KindObject, QStringLiteral("Klient"));
    p.SetCountElem(0);
    p.SetCountElem(3);
    for (int i = 1; i <= 3; ++i) {
        p.ShowProgress(TProcess::KindElement, QString(), i);
        p.CountResult(i - 1, true);
        p.ElementDone(i != 2);
    }
    p.StepProgress(TProcess::KindObjectShort, QStringLiteral("DaneGPS"));

    const QByteArray zero = "*  Przetworzono obiekt: Klient\r\n"
                            "   Liczba wszystkich element\xf3w obiektu: 0\r\n"
                            "   Liczba przetworzonych element\xf3w obiektu: 0\r\n"
                            "   - nowych: 0\r\n"
                            "   - zaktualizowanych: 0\r\n"
                            "   - nie zmienionych: 0\r\n"
                            "   Liczba nieprzetworzonych element\xf3w obiektu: 0\r\n"
                            "   Liczba usuni\xeatych obiekt\xf3w: 0\r\n\r\n";
    const QByteArray gps = "*  Przetworzono obiekt: DaneGPS\r\n"
                           "   Liczba wszystkich element\xf3w obiektu: 3\r\n"
                           "   Liczba przetworzonych element\xf3w obiektu: 2\r\n\r\n";
    EXPECT_EQ(test::ReadFileBytes(quiet.FileName()), "\r\n" + zero + gps);

    EXPECT_EQ(p.FullSummary(QStringLiteral("100%s")),
              QStringLiteral(" Przetworzono obiekt: 100%s\r\n      Liczba wszystkich elementów obiektu: 3\r\n"
                             "        Liczba przetworzonych elementów obiektu: 2 \r\n        - nowych: 1 \r\n"
                             "        - zaktualizowanych: 1 \r\n        - nie zmienionych: 1 \r\n"
                             "        Liczba nieprzetworzonych elementów obiektu: 1\r\n"
                             "      Liczba usuniętych obiektów: 0"));
}

TEST(ProcessVersions, CommentVersion)
{
    QTemporaryDir dir;
    auto write = [&dir](const QString &name, const QString &text) {
        test::WriteFileText(dir.filePath(name), text);
        return dir.filePath(name);
    };
    EXPECT_EQ(TProcess::CommentVersion(write("a.xsl", "<?xml version=\"1.0\"?>\r\n<!-- 2.1.0 -->\r\n<!-- 9 -->\r\n")), "2.1.0");
    EXPECT_EQ(TProcess::CommentVersion(write("b.xsl", "<!--x -->\n<!-- wersja 3 -->\n")), "wersja 3");
    EXPECT_EQ(TProcess::CommentVersion(write("c.xsl", "<xsl/>\n<!-- unclosed\n")), "");
    EXPECT_EQ(TProcess::CommentVersion(write("d.xsl", "a --> <!-- \n<!-- 4 -->\n")), "");
    EXPECT_EQ(TProcess::CommentVersion(dir.filePath("none.xsl")), "");
    write("ObjectRules.xml", "<!-- 1.7 -->\n<classes/>\n");
    write("e.XSL", "<!-- 5 -->\n");
    write("notes.txt", "<!-- 6 -->\n");

    EXPECT_EQ(TProcess::RulesVersionLine(dir.path()), "      Plik: ObjectRules.xml 1.7\r\n");
    EXPECT_EQ(TProcess::RulesVersionLine(dir.filePath("brak")), "");
    EXPECT_EQ(TProcess::StylesheetVersionLines(dir.path()),
              "      Plik: a.xsl 2.1.0\r\n      Plik: b.xsl wersja 3\r\n      Plik: e.XSL 5\r\n");
}

TEST(ProcessVersions, CompiledInVersion)
{
    test::EnsureApplication();
    const QString version = TProcess::ModuleVersion();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch())
        << version.toStdString();
}
