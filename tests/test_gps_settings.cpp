// The GPS feed's settings in the application settings file, and the vehicle list.
#include "support/Installation.h"

#include "app/Log.h"
#include "app/Settings.h"
#include "config/PasswordCipher.h"
#include "gps/DSLocatePojazdy.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using namespace pelk;
using namespace pelk::test;

namespace {

const QString kAllNames = QStringLiteral(" speed dist hdg sat fuel driver digital");

// An application settings file whose GPS section holds the given server properties.
QString SettingsFile(const QString &serverProperties)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<classes>"
                          "<class classname=\"TSettingsAplikacji\" name=\"TSettingsAplikacji\"><properties>"
                          "<property name=\"TraceLevel\" type=\"Integer\">2</property>"
                          "<property name=\"DSLocateKonfig\" type=\"Object\" class=\"TDSLocateKonfig\">"
                          "<class classname=\"TDSLocateKonfig\" name=\"DSLocateKonfig\"><properties>"
                          "<property name=\"SerwerDSLocate\" type=\"Object\" class=\"TDSLKonfiguracjaSerwera\">"
                          "<class classname=\"TDSLKonfiguracjaSerwera\" name=\"SerwerDSLocate\"><properties>%1"
                          "</properties></class></property></properties></class></property>"
                          "</properties></class></classes>")
        .arg(serverProperties);
}

class GpsSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        log.SetView(&view);
        settings.SetLog(&log);
    }
    bool Load(const QString &text)
    {
        const QString file = dir.filePath(QStringLiteral("PelkDataExchanger.xml"));
        WriteFileText(file, text);
        return settings.LoadFromFile(file);
    }
    TDSLKonfiguracjaSerwera &Serwer() { return *settings.DSLocateKonfig()->SerwerDSLocate(); }

    QTemporaryDir dir;
    RecordingLogView view;
    TLog log;
    TSettingsAplikacji settings;
};

} // namespace

TEST(GpsFilter, SwitchesEditTheFilterTextInTheOrderTheyChange)
{
    TDSLKonfiguracjaSerwera s;
    EXPECT_EQ(s.WlasciwoscFiltra(), kAllNames);

    s.SetPobierajKierunek(false);
    EXPECT_EQ(s.WlasciwoscFiltra(), QStringLiteral(" speed dist sat fuel driver digital"));
    s.SetPobierajKierunek(true);
    EXPECT_EQ(s.WlasciwoscFiltra(), QStringLiteral(" speed dist sat fuel driver digital hdg"));

    // The same value again changes nothing (no second "hdg", nothing removed).
    s.SetPobierajKierunek(true);
    s.SetPobierajPredkosc(true);
    EXPECT_EQ(s.WlasciwoscFiltra(), QStringLiteral(" speed dist sat fuel driver digital hdg"));

    s.SetPobierajPredkosc(false);
    s.SetPobierajDystans(false);
    s.SetPobierajKierunek(false);
    s.SetPobierajIloscSatelit(false);
    s.SetPobierajIloscPaliwa(false);
    s.SetPobierajNazweKierowcy(false);
    s.SetPobierajStatusPojazdu(false);
    EXPECT_EQ(s.WlasciwoscFiltra(), QString());
    s.SetPobierajStatusPojazdu(false);
    EXPECT_EQ(s.WlasciwoscFiltra(), QString());
}

TEST_F(GpsSettingsTest, FileWithoutTheSectionKeepsTheDefaults)
{
    ASSERT_TRUE(Load(QStringLiteral("<classes><class classname=\"TSettingsAplikacji\" name=\"TSettingsAplikacji\">"
                                    "<properties/></class></classes>")));
    const TDSLocateKonfig &k = *settings.DSLocateKonfig();
    EXPECT_EQ(k.SerwerDSLocate()->Host, QString());
    EXPECT_EQ(k.SerwerDSLocate()->Port, 0);
    EXPECT_EQ(k.SerwerDSLocate()->WlasciwoscFiltra(), kAllNames);
    EXPECT_EQ(DateTimeToText(k.Harmonogram()->CzasStart), QStringLiteral("1899-12-30 00:00:01"));
    EXPECT_EQ(DateTimeToText(k.Harmonogram()->CzasStop), QStringLiteral("1899-12-30 23:59:59"));
    EXPECT_FALSE(k.Harmonogram()->ZapiszDaneDoBazyDanych);
    EXPECT_EQ(k.Harmonogram()->InicjalnaData, 0.0);
    EXPECT_EQ(k.SerwerDSLocate()->LimitPolaczenia(), 30);
    EXPECT_EQ(k.SerwerDSLocate()->LimitOdpowiedzi(), 300);
    EXPECT_FALSE(k.SerwerDSLocate()->SprawdzajCertyfikat);
    EXPECT_EQ(k.SerwerDSLocate()->PlikCertyfikatowCA, QString());
    EXPECT_EQ(k.SerwerDSLocate()->OdciskCertyfikatu, QString());
    EXPECT_EQ(k.SerwerDSLocate()->parent(), &k);
    EXPECT_EQ(k.Harmonogram()->parent(), &k);
}

TEST_F(GpsSettingsTest, RoundTripKeepsEveryKey)
{
    TDSLocateKonfig &k = *settings.DSLocateKonfig();
    k.Wersja = QStringLiteral("2.1");
    k.Pojazdy = QStringLiteral("WX 1234;KR 5678");
    k.Harmonogram()->CzasStart = EncodeTime(6, 0, 0, 0);
    k.Harmonogram()->CzasStop = EncodeTime(22, 0, 0, 0);
    k.Harmonogram()->ZapiszDaneDoBazyDanych = true;
    k.Harmonogram()->FiltrStatusSilnikaWylaczony = false;
    k.Harmonogram()->InicjalnaData = EncodeDate(2009, 3, 14) + EncodeTime(8, 0, 0, 0);
    Serwer().Host = QStringLiteral("gps.example.pl");
    Serwer().Port = 65535;
    Serwer().SetLogin(QStringLiteral("FURlmdf35q8="));
    Serwer().SetHaslo(QStringLiteral("dB25BeGaElQVRGWZ1/fmrw=="));
    Serwer().SetPobierajKierunek(false);
    Serwer().SetPobierajIloscPaliwa(false);
    Serwer().LimitCzasuPolaczenia = 5;
    Serwer().LimitCzasuOdpowiedzi = 0; // below 1: the default
    Serwer().SprawdzajCertyfikat = true;
    Serwer().PlikCertyfikatowCA = QStringLiteral("certs/dslocate-ca.pem");
    Serwer().OdciskCertyfikatu = QStringLiteral("AB:CD");
    const QString file = dir.filePath(QStringLiteral("saved.xml"));
    ASSERT_TRUE(settings.SaveToFile(file));

    TSettingsAplikacji loaded;
    loaded.SetLog(&log);
    ASSERT_TRUE(loaded.LoadFromFile(file));
    const TDSLocateKonfig &l = *loaded.DSLocateKonfig();
    EXPECT_EQ(l.Wersja, k.Wersja);
    EXPECT_EQ(l.Pojazdy, k.Pojazdy);
    EXPECT_EQ(DateTimeToText(l.Harmonogram()->CzasStart), DateTimeToText(k.Harmonogram()->CzasStart));
    EXPECT_EQ(DateTimeToText(l.Harmonogram()->CzasStop), DateTimeToText(k.Harmonogram()->CzasStop));
    EXPECT_TRUE(l.Harmonogram()->ZapiszDaneDoBazyDanych);
    EXPECT_FALSE(l.Harmonogram()->FiltrStatusSilnikaWylaczony);
    EXPECT_EQ(DateTimeToText(l.Harmonogram()->InicjalnaData), QStringLiteral("2009-03-14 08:00:00"));
    EXPECT_EQ(l.SerwerDSLocate()->Host, Serwer().Host);
    EXPECT_EQ(l.SerwerDSLocate()->Port, 65535);
    EXPECT_EQ(l.SerwerDSLocate()->Login(), Serwer().Login());
    EXPECT_EQ(l.SerwerDSLocate()->Haslo(), Serwer().Haslo());
    EXPECT_FALSE(l.SerwerDSLocate()->PobierajKierunek());
    EXPECT_FALSE(l.SerwerDSLocate()->PobierajIloscPaliwa());
    EXPECT_TRUE(l.SerwerDSLocate()->PobierajPredkosc());
    EXPECT_EQ(l.SerwerDSLocate()->LimitPolaczenia(), 5);
    EXPECT_EQ(l.SerwerDSLocate()->LimitOdpowiedzi(), 300);
    EXPECT_TRUE(l.SerwerDSLocate()->SprawdzajCertyfikat);
    EXPECT_EQ(l.SerwerDSLocate()->PlikCertyfikatowCA, Serwer().PlikCertyfikatowCA);
    EXPECT_EQ(l.SerwerDSLocate()->OdciskCertyfikatu, Serwer().OdciskCertyfikatu);
    // Loading removed the names of the switches the file sets off.
    EXPECT_EQ(l.SerwerDSLocate()->WlasciwoscFiltra(), QStringLiteral(" speed dist sat driver digital"));
}

TEST_F(GpsSettingsTest, PortOutOfRangeFailsTheLoad)
{
    EXPECT_FALSE(Load(SettingsFile(QStringLiteral("<property name=\"Port\" type=\"Integer\">65536</property>"))));
    EXPECT_TRUE(view.AllText().contains(QStringLiteral("\"DSLocateKonfig.SerwerDSLocate.Port\"")));
}

TEST_F(GpsSettingsTest, MalformedCipherTextFailsTheLoadNamingItsKey)
{
    const struct
    {
        const char *key, *value, *error;
    } cases[] = {
        {"Haslo", "AAAAAAAAAAA-", "Invalid Base64 Character"},
        {"Login", "AAAA", "Invalid file format"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        view.messages.clear();
        EXPECT_FALSE(Load(SettingsFile(QStringLiteral("<property name=\"Host\" type=\"String\">h</property>"
                                                      "<property name=\"%1\" type=\"String\">%2</property>")
                                           .arg(QLatin1String(c.key), QLatin1String(c.value)))));
        ASSERT_GE(view.messages.size(), 1);
        const QStringList &first = view.messages.first().lines;
        EXPECT_EQ(first.value(0),
                  QStringLiteral(" Błędna wartość klucza \"DSLocateKonfig.SerwerDSLocate.%1\" w pliku %2:")
                      .arg(QLatin1String(c.key), dir.filePath(QStringLiteral("PelkDataExchanger.xml"))));
        EXPECT_EQ(first.value(1), QStringLiteral("      ") + QLatin1String(c.error));
        EXPECT_TRUE(view.AllText().contains(QStringLiteral(" Wyjątek funkcji TSettingsAplikacji.LoadFromFile")));
    }
    // A stored text that is well formed loads; it is deciphered only when logging in.
    EXPECT_TRUE(
        Load(SettingsFile(QStringLiteral("<property name=\"Haslo\" type=\"String\">dB25BeGaElQVRGWZ1/fmrw==</property>"))));
    EXPECT_EQ(Serwer().Haslo(), QStringLiteral("dB25BeGaElQVRGWZ1/fmrw=="));
    EXPECT_THROW(Serwer().SetLogin(QStringLiteral("a b")), ECipherTextError);
}

TEST(GpsVehicles, FindsAreExactAndTakeTheFirst)
{
    TDSLocatePojazdy list;
    TDSLocatePojazd *a = list.AddPojazd();
    EXPECT_TRUE(a->NrPojazdu.isEmpty() && a->Nazwa.isEmpty() && a->Typ.isEmpty() && a->Opis.isEmpty());
    a->NrPojazdu = QStringLiteral("A12");
    a->Nazwa = QStringLiteral("WX 1234");
    TDSLocatePojazd *b = list.AddPojazd();
    b->NrPojazdu = QStringLiteral("A12");
    b->Nazwa = QStringLiteral("KR 5678");
    EXPECT_EQ(list.FindByNrPojazdu(QStringLiteral("A12")), a);
    EXPECT_EQ(list.FindByNrPojazdu(QStringLiteral("a12")), nullptr);
    EXPECT_EQ(list.FindByNazwa(QStringLiteral("KR 5678")), b);
    EXPECT_EQ(list.FindByNazwa(QStringLiteral("kr 5678")), nullptr);
    EXPECT_EQ(list.FindByNazwa(QStringLiteral("KR 5678 ")), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(GpsVehicles, AnotherThreadAddsWithoutQtComplaints)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { warnings << text; });
    TDSLocatePojazdy list;
    std::thread([&] {
        for (int i = 0; i < 3; ++i)
            list.AddPojazd()->NrPojazdu = QString::number(i);
    }).join();
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList());
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.FindByNrPojazdu(QStringLiteral("2")), list.Items(2));
}
