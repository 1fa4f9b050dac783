// Process settings files and the object switches working on them.
#include "support/TestSupport.h"

#include "app/Przelaczniki.h"
#include "app/Settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

TObjectToProcessCollectionItem *addItem(TSettingsProcess &s, const QString &name, e_Stany allowed, e_Stan state)
{
    auto *it = s.ObjectToProcess()->Add();
    it->NazwaObiektu = name;
    it->NazwaObiektRules = name;
    it->ListaDozwolonychStanow = allowed;
    it->Stan = state;
    return it;
}

const e_Stany kAll = StanBit(esBothDirection) | StanBit(esSysXtoSysY) | StanBit(esSysYtoSysX) | StanBit(esNone);

} // namespace

TEST(ProcessSettings, RoundTripReplacesTheObjectList)
{
    QTemporaryDir dir;
    TSettingsProcess s;
    s.WorkDirectory = QStringLiteral("/srv/wymiana ż");
    addItem(s, QStringLiteral("Sprzedaż"), StanBit(esNone), esNone);
    addItem(s, QStringLiteral("Wizyta"), kAll, esBothDirection);
    const QString file = dir.filePath(QStringLiteral("p.xml"));
    ASSERT_TRUE(s.SaveToFile(file));

    TSettingsProcess loaded;
    for (int i = 0; i < 4; ++i)
        addItem(loaded, QStringLiteral("old"), 0, esNone);
    ASSERT_TRUE(loaded.LoadFromFile(file));
    EXPECT_EQ(loaded.WorkDirectory, s.WorkDirectory);
    ASSERT_EQ(loaded.ObjectToProcess()->Count(), 2);
    EXPECT_EQ(loaded.ObjectToProcess()->Items(0)->NazwaObiektu, QStringLiteral("Sprzedaż"));
    EXPECT_EQ(loaded.ObjectToProcess()->Items(0)->ListaDozwolonychStanow, StanBit(esNone));
    EXPECT_EQ(loaded.ObjectToProcess()->Items(1)->Stan, esBothDirection);
}

TEST(ProcessSettings, LookUpByNameIsCaseSensitiveSubstring)
{
    TSettingsProcess s;
    addItem(s, QStringLiteral("Klient"), 0, esNone);
    addItem(s, QStringLiteral("Klient VIP"), 0, esNone);
    EXPECT_EQ(s.ObjectToProcess()->FindByName(QStringLiteral("Klient")), s.ObjectToProcess()->Items(0));
    EXPECT_EQ(s.ObjectToProcess()->FindByName(QStringLiteral("VIP")), s.ObjectToProcess()->Items(1));
    EXPECT_EQ(s.ObjectToProcess()->FindByName(QStringLiteral("klient")), nullptr);
}

TEST(Switches, ClickCyclesThroughAllowedStatesOnly)
{
    RPrzelacznik all{QStringLiteral("A"), QStringLiteral("A"), kAll, esSysYtoSysX};
    QList<e_Stan> seen;
    for (int i = 0; i < 4; ++i) {
        TPrzelaczniki::NextState(all);
        seen << all.Stan;
    }
    EXPECT_EQ(seen, QList<e_Stan>({esNone, esBothDirection, esSysXtoSysY, esSysYtoSysX}));

    RPrzelacznik off{QStringLiteral("B"), QStringLiteral("B"), StanBit(esNone), esNone};
    TPrzelaczniki::NextState(off);
    EXPECT_EQ(off.Stan, esNone);

    RPrzelacznik nothing{QStringLiteral("C"), QStringLiteral("C"), 0, esSysYtoSysX};
    TPrzelaczniki::NextState(nothing);
    EXPECT_EQ(nothing.Stan, esSysYtoSysX);

    RPrzelacznik builtIn{QStringLiteral("D"), QStringLiteral("D"), StanBit(esSysXtoSysY) | StanBit(esNone), esSysXtoSysY};
    TPrzelaczniki::NextState(builtIn);
    EXPECT_EQ(builtIn.Stan, esNone);
    TPrzelaczniki::NextState(builtIn);
    EXPECT_EQ(builtIn.Stan, esSysXtoSysY);
}

TEST(Switches, DefaultsWrittenBackAddAllFiveKinds)
{
    TSettingsProcess s;
    addItem(s, QStringLiteral("Klient"), kAll, esBothDirection);
    TPrzelaczniki sw(&s, nullptr);
    sw.Load(); // defaults
    RPrzelacznik k;
    ASSERT_TRUE(sw.GetSwitch(QStringLiteral("Klient"), k));
    TPrzelaczniki::NextState(k);
    sw.SetSwitch(QStringLiteral("Klient"), k);
    sw.ToProcessSettings();
    ASSERT_EQ(s.ObjectToProcess()->Count(), 5);
    EXPECT_EQ(s.ObjectToProcess()->Items(0)->Stan, esNone);
    EXPECT_EQ(s.ObjectToProcess()->Items(0)->ListaDozwolonychStanow, StanBit(esSysXtoSysY) | StanBit(esNone));
    EXPECT_EQ(s.ObjectToProcess()->Items(3)->NazwaObiektu, QStringLiteral("Sprzedaż"));
    EXPECT_EQ(s.ObjectToProcess()->Items(3)->NazwaObiektRules, QStringLiteral("Sprzedaz"));
    EXPECT_EQ(s.ObjectToProcess()->Items(4)->Stan, esSysXtoSysY);

    RPrzelacznik none;
    EXPECT_FALSE(sw.GetSwitch(QStringLiteral("klient"), none));
    EXPECT_TRUE(none.NazwaObiektu.isEmpty());
}

TEST(Switches, FromProcessSettingsShowsExactlyTheFileList)
{
    TSettingsProcess s;
    addItem(s, QStringLiteral("Wizyta"), StanBit(esNone), esNone);
    TPrzelaczniki sw(&s, nullptr);
    sw.LoadMode = TPrzelaczniki::FromProcessSettingsMode;
    sw.Load();
    ASSERT_EQ(sw.Items.size(), 1);
    EXPECT_EQ(sw.Items[0].NazwaObiektu, QStringLiteral("Wizyta"));
    EXPECT_EQ(TPrzelaczniki::StateHint(3), QStringLiteral("Brak przetwarzania"));
    EXPECT_TRUE(TPrzelaczniki::StateHint(7).isEmpty());
}
