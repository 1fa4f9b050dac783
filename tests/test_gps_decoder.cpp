// The GPS response decoder: elements cut from the stream, the vehicle list, status texts and
// positions, on recorded streams.
#include "app/DSLocateKonfig.h"
#include "config/Errors.h"
#include "gps/DSLocateDekodujDane.h"
#include "gps/DSLocatePojazdy.h"
#include "support/GpsStream.h"
#include "support/RecordedByteSource.h"
#include "support/RecordingPositionSink.h"
#include "support/WarsawZone.h"

#include <QMutex>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

const QString kArchiveEnd5 = QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 5 dla pojazdu: 12");

class DecoderTest : public ::testing::Test
{
protected:
    DecoderTest()
    {
        auto sink = std::make_unique<RecordingPositionSink>();
        store = sink.get();
        decoder = std::make_unique<TDSLocateDekodujDane>(std::move(sink));
        konfig.Harmonogram()->ZapiszDaneDoBazyDanych = true;
        decoder->SetKonfig(&konfig);
        decoder->SetPojazdy(&pojazdy);
        decoder->SetReportReceived(false);
        decoder->SetStatusHandler([this](const QString &text) {
            QMutexLocker lock(&mutex);
            statuses << text;
        });
        decoder->SetAnswerHandler([this](qint32 opid, bool ok) {
            QMutexLocker lock(&mutex);
            answers << QStringLiteral("%1 %2").arg(opid).arg(ok ? "ok" : "failed");
        });
        decoder->SetClock([this] { return now; });
    }
    void KnowVehicle12()
    {
        decoder->Decode(gps::VehicleList(3, {{QStringLiteral("12"), QStringLiteral("WX 1234"), QStringLiteral("ciężarowy")}}));
        ClearStatuses();
    }
    QStringList Statuses()
    {
        QMutexLocker lock(&mutex);
        return statuses;
    }
    QStringList Answers()
    {
        QMutexLocker lock(&mutex);
        return answers;
    }
    void ClearStatuses()
    {
        QMutexLocker lock(&mutex);
        statuses.clear();
    }

    TDSLocateKonfig konfig;
    TDSLocatePojazdy pojazdy;
    RecordingPositionSink *store = nullptr;
    std::unique_ptr<TDSLocateDekodujDane> decoder;
    QMutex mutex;
    QStringList statuses;
    QStringList answers;                       // "opid ok" or "opid failed"
    std::chrono::steady_clock::time_point now; // the decoder's clock
};

} // namespace

TEST(GpsElements, AttributeReaders)
{
    const QByteArrayView content = " opid=\"5\" datetime=\"9\" time=\"7\" empty=\"\" open=\"abc";
    EXPECT_EQ(Attr("opid", content), QStringLiteral("5"));
    EXPECT_EQ(Attr("time", content), QStringLiteral("9"));   // the first match may end a longer name
    EXPECT_EQ(Attr("open", content), QStringLiteral("abc")); // no closing quote: to the end
    EXPECT_EQ(Attr("missing", content), QString());
    EXPECT_EQ(Attr("OPID", content), QString());

    struct IntCase
    {
        const char *value;
        qint32 expected;
    };
    const IntCase ints[] = {
        {"42", 42},
        {" -7 ", -7},
        {"+3", 3},
        {"", kBrakWartosci},
        {"4x", kBrakWartosci},
        {"2147483647", 2147483647},
        {"2147483648", kBrakWartosci},
        {"0x10", kBrakWartosci},
    };
    for (const IntCase &c : ints)
        EXPECT_EQ(IntAttr("v", QByteArray(" v=\"") + c.value + "\""), c.expected) << c.value;

    EXPECT_EQ(ElementText(" level=\"info\">Serwer <b>zajęty</b>"), QStringLiteral("Serwer "));
    EXPECT_EQ(ElementText(" level=\"info\">bez końca"), QStringLiteral("bez końca"));
    EXPECT_EQ(ElementText(" level=\"info\""), QString());

    EXPECT_DOUBLE_EQ(DecimalAttr("21.5"), 21.5);
    EXPECT_DOUBLE_EQ(DecimalAttr("-0,25"), -0.25);
    EXPECT_DOUBLE_EQ(DecimalAttr(" 1e2 "), 100.0);
    for (const char *bad : {"", "abc", "1.2.3", "1,5.0", "nan", "inf", "0x1p3"}) {
        try {
            DecimalAttr(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid floating point value").arg(QLatin1String(bad)));
        }
    }
}

TEST_F(DecoderTest, GreetingAndVehicleListFillTheList)
{
    decoder->Decode(gps::Greeting(QStringLiteral("12  13")));
    decoder->Decode(
        QByteArrayLiteral("<update opid=\"1\" vehicle=\"13\" name=\"KR 5678\" type=\"osobowy\" description=\"serwis\">\r\n"
                          "<frame device=\"D\" time=\"1199174400\" lon=\"19.0\" lat=\"50.0\" digital=\"\"/>\r\n</update>\r\n"));
    decoder->Decode(gps::VehicleList(3,
                                     {{QStringLiteral("12"), QStringLiteral("WX 1234"), QStringLiteral("ciężarowy")},
                                      {QStringLiteral("14"), QStringLiteral("PO 1"), QStringLiteral("osobowy")}}));
    EXPECT_EQ(
        Statuses(),
        QStringList({QStringLiteral("Zalogowany"), QStringLiteral("PobranoZakończono pobieranie listy aktywnych pojazdów.")}));
    ASSERT_EQ(pojazdy.Count(), 3);
    EXPECT_EQ(pojazdy.Items(0)->NrPojazdu, QStringLiteral("12"));
    EXPECT_EQ(pojazdy.Items(0)->Nazwa, QStringLiteral("WX 1234"));
    EXPECT_EQ(pojazdy.Items(0)->Typ, QStringLiteral("ciężarowy"));
    EXPECT_EQ(pojazdy.Items(1)->Nazwa, QStringLiteral("KR 5678"));
    EXPECT_EQ(pojazdy.Items(1)->Opis, QStringLiteral("serwis"));
    EXPECT_EQ(pojazdy.Items(2)->NrPojazdu, QStringLiteral("14"));
    // Frames of the live updates (operation 1) are no positions.
    EXPECT_EQ(store->Count(), 0);
    EXPECT_EQ(decoder->CurrentOperation(), 0);
    EXPECT_EQ(decoder->Pending(), 0);
}

TEST_F(DecoderTest, ArchiveFramesBecomePositions)
{
    KnowVehicle12();
    gps::Frame off;
    off.lon = QStringLiteral("19.0");
    off.lat = QStringLiteral("50,0");
    gps::Frame on = off;
    on.engine = true;
    on.speed = 255;
    on.fuel.clear();
    on.time += 2700;
    decoder->Decode(gps::Archive(5, QStringLiteral("12"), {off, on}));
    EXPECT_EQ(Statuses(), QStringList{kArchiveEnd5});
    const QList<TDSLocatePozycja> p = store->Positions();
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].NrPojazdu, QStringLiteral("12"));
    EXPECT_EQ(p[0].NazwaPojazdu, QStringLiteral("WX 1234"));
    EXPECT_EQ(p[0].Urzadzenie, QStringLiteral("DEV-7"));
    EXPECT_EQ(DateTimeToText(p[0].Czas), QStringLiteral("2008-01-01 09:00:00"));
    EXPECT_DOUBLE_EQ(p[0].DlugoscGeo, 19.0);
    EXPECT_DOUBLE_EQ(p[0].SzerokoscGeo, 50.0);
    EXPECT_NEAR(p[0].WspolX, 356670.876, 0.0005);
    EXPECT_NEAR(p[0].WspolY, 5540547.370, 0.0005);
    EXPECT_EQ(p[0].StatusSilnika, 0);
    EXPECT_EQ(p[0].Predkosc, 0);
    EXPECT_EQ(p[0].Dystans, 1200);
    EXPECT_EQ(p[0].Kierunek, 90);
    EXPECT_EQ(p[0].IloscSatelit, 7);
    EXPECT_DOUBLE_EQ(p[0].IloscPaliwa, 31.5);
    EXPECT_EQ(p[0].NazwaKierowcy, QStringLiteral("Jan Kowalski"));
    EXPECT_EQ(p[1].StatusSilnika, 1);
    EXPECT_EQ(p[1].Predkosc, 255);
    EXPECT_DOUBLE_EQ(p[1].IloscPaliwa, -1); // no fuel in the frame
    EXPECT_EQ(DateTimeToText(p[1].Czas), QStringLiteral("2008-01-01 09:45:00"));
    EXPECT_EQ(decoder->CurrentOperation(), 0);
    EXPECT_EQ(decoder->CurrentVehicle(), QString());
}

TEST_F(DecoderTest, SwitchedOffAttributesAreNotRead)
{
    KnowVehicle12();
    TDSLKonfiguracjaSerwera &s = *konfig.SerwerDSLocate();
    s.SetPobierajStatusPojazdu(false);
    s.SetPobierajPredkosc(false);
    s.SetPobierajDystans(false);
    s.SetPobierajKierunek(false);
    s.SetPobierajIloscSatelit(false);
    s.SetPobierajIloscPaliwa(false);
    s.SetPobierajNazweKierowcy(false);
    gps::Frame f;
    f.engine = true;
    f.fuel = QStringLiteral("not read, so never a number");
    decoder->Decode(gps::Archive(5, QStringLiteral("12"), {f}));
    const QList<TDSLocatePozycja> p = store->Positions();
    ASSERT_EQ(p.size(), 1);
    EXPECT_EQ(p[0].StatusSilnika, -1);
    EXPECT_EQ(p[0].Predkosc, kBrakWartosci);
    EXPECT_EQ(p[0].Dystans, kBrakWartosci);
    EXPECT_EQ(p[0].Kierunek, kBrakWartosci);
    EXPECT_EQ(p[0].IloscSatelit, kBrakWartosci);
    EXPECT_DOUBLE_EQ(p[0].IloscPaliwa, -1);
    EXPECT_EQ(p[0].NazwaKierowcy, QString());

    konfig.Harmonogram()->ZapiszDaneDoBazyDanych = false;
    decoder->Decode(gps::Archive(7, QStringLiteral("12"), {f}));
    EXPECT_EQ(store->Count(), 1); // decoded and discarded
}

TEST_F(DecoderTest, EveryCutOfTheStreamGivesTheSamePositionsOnce)
{
    KnowVehicle12();
    gps::Frame a, b;
    b.driver = QStringLiteral("Żaneta Łęcka");
    b.time += 60;
    const QByteArray stream = gps::Archive(5, QStringLiteral("12"), {a, b});
    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        auto sink = std::make_unique<RecordingPositionSink>();
        RecordingPositionSink &recorded = *sink;
        TDSLocateDekodujDane d(std::move(sink));
        d.SetKonfig(&konfig);
        d.SetPojazdy(&pojazdy);
        QString received;
        d.SetStatusHandler([&](const QString &text) {
            if (text.startsWith(QLatin1String("Odczytano")))
                received += text.mid(9);
        });
        d.Decode(stream.left(cut));
        d.Decode(stream.mid(cut));
        const QList<TDSLocatePozycja> p = recorded.Positions();
        ASSERT_EQ(p.size(), 2);
        EXPECT_EQ(p[1].NazwaKierowcy, QStringLiteral("Żaneta Łęcka"));
        EXPECT_EQ(p[1].Czas, TDSLocatePozycja::SetCzas(b.time));
        // The received text is reported whole, also when a cut splits a letter.
        EXPECT_EQ(received.toStdString(), stream.toStdString());
        EXPECT_EQ(d.Pending(), 0);
    }
}

TEST_F(DecoderTest, EmptyArchiveAndServerMessages)
{
    decoder->Decode("<archive opid=\"7\" vehicle=\"12\"/>\r\n"
                    "<message level=\"error\" error=\"NO_ARCHIVE\">Brak danych</message>\r\n"
                    "<message level=\"error\" error=\"INVALID_LOGIN\"> Złe hasło</message>\r\n"
                    "<message level=\"error\" error=\"NO_SUCH_VEHICLE\">12</message>\r\n"
                    "<message level=\"error\" error=\"SOMETHING_NEW\">x</message>\r\n"
                    "<message level=\"warning\">Uwaga</message>\r\n"
                    "<message level=\"info\">abc</message>\r\n"
                    "<message level=\"debug\">abc</message>\r\n");
    EXPECT_EQ(Statuses(),
              QStringList({QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 7 dla pojazdu: 12"),
                           QStringLiteral("Brak archiwumBrak danych"), QStringLiteral("Error Złe hasło"),
                           QStringLiteral("Nie obslugiwane"), QStringLiteral("WarningUwaga"), QStringLiteral("Infoabc")}));
    EXPECT_EQ(decoder->CurrentOperation(), 0);
    EXPECT_EQ(decoder->CurrentVehicle(), QString());
}

TEST_F(DecoderTest, ElementNamesInAnyCase)
{
    KnowVehicle12();
    decoder->Decode(QByteArray("<ARCHIVE opid=\"5\" vehicle=\"12\">") + gps::FrameXml({}).replace("<frame", "<Frame")
                    + "</Archive>");
    decoder->Decode("<hello/>");
    EXPECT_EQ(store->Count(), 1);
    EXPECT_EQ(Statuses(), QStringList{kArchiveEnd5});
    EXPECT_EQ(decoder->Pending(), 0);
}

TEST_F(DecoderTest, FailingFrameIsReportedOnceAndDoesNotBlockTheNext)
{
    KnowVehicle12();
    gps::Frame bad, good;
    bad.lon = QStringLiteral("abc");
    decoder->Decode(gps::Archive(5, QStringLiteral("12"), {bad, good}));
    decoder->Decode("<hello/>");
    EXPECT_EQ(Statuses(), QStringList({QStringLiteral("Error 'abc' is not a valid floating point value"), kArchiveEnd5}));
    EXPECT_EQ(store->Count(), 1);
    EXPECT_EQ(decoder->Pending(), 0);
}

TEST_F(DecoderTest, FramesWithoutTimeOrKnownVehicleAreDroppedWithOneMessagePerVehicle)
{
    KnowVehicle12();
    QByteArray noTime = gps::FrameXml({});
    noTime.replace("time=\"1199174400\"", "");
    decoder->Decode("<archive opid=\"5\" vehicle=\"12\">" + noTime
                    + "</archive>"
                      "<archive opid=\"7\" vehicle=\"99\">"
                    + gps::FrameXml({}) + gps::FrameXml({})
                    + "</archive>"
                      "<archive opid=\"9\" vehicle=\"99\">"
                    + gps::FrameXml({}) + "</archive>");
    decoder->ReportRepeats();
    const QStringList s = Statuses();
    ASSERT_EQ(s.size(), 6) << s.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        s[0].startsWith(QStringLiteral("Error Pominięto ramkę pojazdu 12 bez poprawnego czasu:\r\n      <frame device=")));
    // The frames of an unknown vehicle are reported once, not frame by frame nor archive by
    // archive; how many more there were is told at the end.
    EXPECT_TRUE(s[2].startsWith(
        QStringLiteral("Error Pominięto ramki pojazdu 99 spoza listy pojazdów serwera, pierwsza:\r\n      <frame")));
    EXPECT_TRUE(s[3].startsWith(QStringLiteral("Pobrano")));
    EXPECT_TRUE(s[4].startsWith(QStringLiteral("Pobrano")));
    EXPECT_EQ(
        s[5],
        QStringLiteral("Error Nie zgłoszono 2 kolejnych wystąpień: Pominięto ramki pojazdu 99 spoza listy pojazdów serwera"));
    EXPECT_EQ(store->Count(), 0);
}

TEST_F(DecoderTest, AnElementStartRepeatedWithoutEndIsReportedOnceWithACount)
{
    decoder->Decode(QByteArray("<hello").repeated(20000));
    decoder->ReportRepeats();
    const QStringList s = Statuses();
    ASSERT_EQ(s.size(), 2) << s.mid(0, 3).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(s[0].startsWith(QStringLiteral("Error Pominięto element <hello bez zakończenia \"/>\" po ")));
    EXPECT_TRUE(s[1].startsWith(QStringLiteral("Error Nie zgłoszono ")));
    EXPECT_TRUE(s[1].endsWith(QStringLiteral(" kolejnych wystąpień: Pominięto element <hello bez zakończenia \"/>\"")));
    EXPECT_LE(decoder->Pending(), TDSLocateScanner::kMaxElementLength);
}

TEST_F(DecoderTest, AnElementThatNeverClosesHoldsBackWhatFollowsOnlyForTheLongestWait)
{
    KnowVehicle12();
    const QByteArray archive = gps::Archive(5, QStringLiteral("12"), {gps::Frame()});
    // Within the wait, an element cut in two is whole once its rest comes.
    decoder->Decode(archive.left(20));
    now += TDSLocateScanner::kMaxElementWait - std::chrono::seconds(1);
    decoder->Decode(archive.mid(20));
    EXPECT_EQ(Statuses(), QStringList{kArchiveEnd5});
    ClearStatuses();

    decoder->Decode("<message level=\"info\">Komunikat bez końca\r\n");
    now += std::chrono::seconds(10);
    decoder->Decode(gps::Archive(7, QStringLiteral("12"), {gps::Frame()}));
    EXPECT_EQ(store->Count(), 1); // held back behind the message
    now += TDSLocateScanner::kMaxElementWait;
    decoder->Decode(QByteArray()); // nothing more came
    EXPECT_EQ(store->Count(), 2);
    const QStringList s = Statuses();
    ASSERT_EQ(s.size(), 2);
    EXPECT_TRUE(s[0].startsWith(QStringLiteral("Error Pominięto element <message bez zakończenia \"</message>\" po ")));
    EXPECT_EQ(s[1], QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 7 dla pojazdu: 12"));
    EXPECT_EQ(decoder->Pending(), 0);
}

TEST_F(DecoderTest, AnEmptyArchiveIsTheSelfClosingTagNotASlashInAValue)
{
    decoder->Decode(gps::VehicleList(3, {{QStringLiteral("AB/1"), QStringLiteral("WX 1"), QStringLiteral("ciężarowy")}}));
    ClearStatuses();
    gps::Frame second;
    second.time += 60;
    decoder->Decode(gps::Archive(5, QStringLiteral("AB/1"), {gps::Frame(), second}) + "<archive opid=\"7\" vehicle=\"AB/1\"/>"
                    + "<archive opid=\"9\" vehicle=\"AB/1\" />");
    EXPECT_EQ(store->Count(), 2);
    EXPECT_EQ(Statuses(),
              QStringList({QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 5 dla pojazdu: AB/1"),
                           QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 7 dla pojazdu: AB/1"),
                           QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 9 dla pojazdu: AB/1")}));
    EXPECT_EQ(Answers(),
              QStringList({QStringLiteral("3 ok"), QStringLiteral("5 ok"), QStringLiteral("7 ok"), QStringLiteral("9 ok")}));
}

TEST_F(DecoderTest, EveryErrorMessageAnswersTheRequestItNames)
{
    decoder->Decode("<message opid=\"5\" level=\"error\" error=\"NO_ARCHIVE\">Brak danych</message>"
                    "<message opid=\"7\" level=\"error\" error=\"INVALID_TIME_SPAN\">zły okres</message>"
                    "<message opid=\"9\" level=\"error\" error=\"NO_SUCH_VEHICLE\">12</message>"
                    "<message opid=\"11\" level=\"error\" error=\"PERMISSION_DENIED\">x</message>"
                    "<message opid=\"13\" level=\"error\" error=\"SERVICE_UNAVAILABLE\">x</message>"
                    "<message opid=\"15\" level=\"error\" error=\"SOMETHING_NEW\">x</message>"
                    "<message opid=\"17\" level=\"warning\">Uwaga</message>");
    EXPECT_EQ(Answers(),
              QStringList({QStringLiteral("5 ok"), QStringLiteral("7 failed"), QStringLiteral("9 failed"),
                           QStringLiteral("11 failed"), QStringLiteral("13 failed"), QStringLiteral("15 failed")}));
    // The texts stay as they were.
    EXPECT_EQ(Statuses(),
              QStringList({QStringLiteral("Brak archiwumBrak danych"), QStringLiteral("Nie obslugiwane"),
                           QStringLiteral("Nie obslugiwane"), QStringLiteral("Nie obslugiwane"),
                           QStringLiteral("Nie obslugiwane"), QStringLiteral("WarningUwaga")}));
}

TEST_F(DecoderTest, TheVehicleListTakesEachVehicleOnceAndNoMoreThanItsCap)
{
    decoder->Decode(gps::Greeting(QStringLiteral("12 13 12")) + gps::Greeting(QStringLiteral("13 14")));
    decoder->Decode(gps::VehicleList(3,
                                     {{QStringLiteral("12"), QStringLiteral("WX 12"), QStringLiteral("ciężarowy")},
                                      {QStringLiteral("12"), QStringLiteral("WX 12"), QStringLiteral("ciężarowy")}}));
    ASSERT_EQ(pojazdy.Count(), 3);
    EXPECT_EQ(pojazdy.FindByNrPojazdu(QStringLiteral("12"))->Nazwa, QStringLiteral("WX 12"));
    EXPECT_EQ(pojazdy.FindByNrPojazdu(QStringLiteral("14")), pojazdy.Items(2));

    // Identifiers past the cap are not taken, and that is reported once.
    QStringList ids;
    for (int i = 0; i < TDSLocatePojazdy::kMaxPojazdow + 10; ++i)
        ids << QString::number(1000 + i);
    ClearStatuses();
    for (int pass = 0; pass < 2; ++pass) {
        QByteArray property = "<property-info opid=\"1\" name=\"autoupdate\" value=\"";
        for (qsizetype from = 0; from < ids.size(); from += 1000)
            decoder->Decode(property + ids.mid(from, 1000).join(QLatin1Char(' ')).toUtf8() + "\"/>");
        decoder->Decode(gps::VehicleList(3, {{QStringLiteral("99999"), QStringLiteral("WX 9"), QString()}}));
    }
    EXPECT_EQ(pojazdy.Count(), TDSLocatePojazdy::kMaxPojazdow);
    EXPECT_EQ(pojazdy.FindByNrPojazdu(QStringLiteral("99999")), nullptr);
    EXPECT_EQ(pojazdy.FindByNrPojazdu(QStringLiteral("1000"))->NrPojazdu, QStringLiteral("1000"));
    EXPECT_EQ(Statuses().filter(QStringLiteral("Lista pojazdów serwera ma już 10000 pozycji")).size(), 1);
}

TEST_F(DecoderTest, TextOutsideElementsIsDroppedAndLongElementsGivenUp)
{
    KnowVehicle12();
    QByteArray noise(1 << 20, 'x');
    for (qsizetype i = 0; i < noise.size(); i += 100)
        noise[i] = '<'; // starts of no known element
    decoder->Decode("<?xml version=\"1.0\"?><unknown a=\"b\"/>" + noise);
    EXPECT_EQ(decoder->Pending(), 0);
    decoder->Decode("text <fra");
    EXPECT_EQ(decoder->Pending(), 4); // may still become "<frame"

    decoder->Decode("<message level=\"info\">" + QByteArray(TDSLocateScanner::kMaxElementLength, 'y'));
    EXPECT_LE(decoder->Pending(), TDSLocateScanner::kMaxElementLength + 64);
    ASSERT_EQ(Statuses().size(), 1);
    EXPECT_TRUE(Statuses().first().startsWith(QStringLiteral("Error Pominięto element <message bez zakończenia \"</message>\"")));
    decoder->Decode(gps::Archive(5, QStringLiteral("12"), {gps::Frame()}));
    EXPECT_EQ(store->Count(), 1);
}

TEST_F(DecoderTest, HundredThousandFramesInOneBurst)
{
    KnowVehicle12();
    konfig.Harmonogram()->ZapiszDaneDoBazyDanych = false;
    decoder->Decode(gps::LongArchive(5, QStringLiteral("12"), 100000));
    EXPECT_EQ(Statuses(), QStringList{kArchiveEnd5});
    EXPECT_EQ(decoder->Pending(), 0);
}

TEST_F(DecoderTest, ThreadReadsUntilStoppedOrTheSourceFails)
{
    KnowVehicle12();
    RecordedByteSource source;
    decoder->SetSource(&source);
    decoder->SetGatherPause(std::chrono::milliseconds(0));
    EXPECT_TRUE(decoder->IsSuspended());
    const QByteArray stream = gps::Archive(5, QStringLiteral("12"), {gps::Frame(), gps::Frame()});
    source.Push(stream.left(40));
    source.Push(stream.mid(40));
    decoder->Resume();
    EXPECT_FALSE(decoder->IsSuspended());
    for (int i = 0; i < 500 && Statuses().isEmpty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Statuses(), QStringList{kArchiveEnd5});
    EXPECT_EQ(store->Count(), 2);
    EXPECT_FALSE(decoder->IsFinished());

    source.Fail(QStringLiteral("Połączenie zerwane"));
    for (int i = 0; i < 500 && !decoder->IsFinished(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(decoder->IsFinished());
    EXPECT_TRUE(store->ThreadWasFinished());
    EXPECT_EQ(Statuses().last(), QStringLiteral("Error Połączenie zerwane"));
}

TEST_F(DecoderTest, StopEndsAnIdleLoop)
{
    RecordedByteSource source;
    decoder->SetSource(&source);
    decoder->Resume();
    decoder->Stop();
    decoder->WaitFor();
    EXPECT_TRUE(decoder->IsFinished());
    EXPECT_EQ(store->Konfig(), &konfig);
}
