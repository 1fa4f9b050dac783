// The stages hand their documents over as trees: an element transformed in one go and the same
// element taken up from its kept file give the stylesheet the same input, for every shipped
// stylesheet and for one that copies its whole input.
#include "support/ExchangeFixture.h"

#include "app/DM_Main.h"
#include "config/AtomicFile.h"
#include "config/ObjectCollection.h"
#include "engine/StagedDocument.h"
#include "engine/Transformation.h"
#include "exchange/customers/DM_Obiekt.h"
#include "exchange/customers/Zamer_Klient.h"
#include "exchange/sales/DM_Sprzedaz.h"
#include "exchange/sales/Zamer_KlientSprzedaz.h"
#include "exchange/visits/DM_Wizyta.h"
#include "exchange/visits/Zamer_Wizyta.h"

#include <QMetaProperty>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

class Stages : public ExchangeFixture
{
protected:
    void SetUp() override
    {
        ExchangeFixture::SetUp();
        Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
        const QString copy = QStringLiteral(
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">%1"
            "<xsl:template match=\"/\"><xsl:copy-of select=\"/\"/></xsl:template></xsl:stylesheet>");
        WriteFileText(Xsl(QStringLiteral("Copy.xsl")), copy.arg(QString()));
        // Stripping white space deletes text nodes of the stylesheet's source tree.
        WriteFileText(Xsl(QStringLiteral("CopyStripped.xsl")), copy.arg(QStringLiteral("<xsl:strip-space elements=\"*\"/>")));
    }
    QString Work() const { return inst.Path(QStringLiteral("work")); }
    QString WorkFile(const QString &name) const { return Work() + QStringLiteral("/") + name; }
    QString Xsl(const QString &name) const { return inst.Path(QStringLiteral("xsl/")) + name; }

    struct Paths
    {
        QByteArray kept, keptAfter, written, oneGo, fromFile;
    };
    // The source transformed by the stylesheet in one go from the tree it was written to, and
    // from the file kept of that tree (file names numbered by `n`).
    Paths BothWays(TInterfaceObject &source, const QString &stylesheet, int n)
    {
        Paths p;
        TStagedDocument tree;
        source.Document = &tree;
        EXPECT_TRUE(source.SaveToXML());
        EXPECT_TRUE(tree.Bytes(p.kept, nullptr));
        TTransformationObject inMemory(*Dm().Log(), Work(), inst.Path(QStringLiteral("xsl")), &cache);
        inMemory.StylesheetName = stylesheet;
        inMemory.Input = tree.Tree();
        TStagedDocument oneGo;
        inMemory.Output = &oneGo;
        EXPECT_TRUE(inMemory.Transform());
        EXPECT_TRUE(oneGo.Bytes(p.oneGo, nullptr));
        EXPECT_TRUE(tree.Bytes(p.keptAfter, nullptr));

        source.Document = nullptr;
        source.FileName = WorkFile(QStringLiteral("Written%1.xml").arg(n));
        EXPECT_TRUE(source.SaveToXML());
        p.written = ReadFileBytes(source.FileName);
        const QString kept = QStringLiteral("Kept%1.xml").arg(n);
        EXPECT_TRUE(WriteFileAtomically(WorkFile(kept), p.kept, Overwrite::Refuse, nullptr));
        TTransformationObject fromFile(*Dm().Log(), Work(), inst.Path(QStringLiteral("xsl")), &cache);
        fromFile.StylesheetName = stylesheet;
        fromFile.InputName = kept;
        fromFile.OutputName = QStringLiteral("Result%1.xml").arg(n);
        EXPECT_TRUE(fromFile.Transform());
        p.fromFile = ReadFileBytes(WorkFile(fromFile.OutputName));
        return p;
    }

    TStylesheetCache cache;
};

// Sets every text the object writes (its collections' items too, two of them) to one of the
// texts a reader that drops blank text nodes could alter: white space alone, white space around
// words, line breaks, markup characters.
void FillWithAwkwardTexts(QObject &object, int &next)
{
    static const QStringList texts = {QStringLiteral(" "),     QStringLiteral("  Łódź & <Piotrkowska> \"7\"  "),
                                      QStringLiteral("\r\n"),  QStringLiteral("wiersz\r\n  drugi\t"),
                                      QStringLiteral("\t \t"), QStringLiteral("12")};
    const QMetaObject *mo = object.metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (auto *collection = qobject_cast<TObjectCollection *>(p.read(&object).value<QObject *>())) {
            for (int k = 0; k < 2; ++k)
                FillWithAwkwardTexts(*collection->Add(), next);
        } else if (p.isWritable() && p.metaType() == QMetaType::fromType<QString>()) {
            p.write(&object, texts[next++ % texts.size()]);
        } else if (p.isWritable() && p.metaType() == QMetaType::fromType<Variant>()) {
            p.write(&object, QVariant::fromValue(Variant(texts[next++ % texts.size()])));
        }
    }
}

} // namespace

TEST_F(Stages, AStylesheetGetsTheSameInputInOneGoAsFromTheKeptFile)
{
    using Make = std::function<std::unique_ptr<TInterfaceObject>()>;
    TDM_Obiekt klienci(Dm());
    TDM_Sprzedaz sprzedaze(Dm());
    TDM_Wizyta wizyty(Dm());
    const Make klient = [&] { return std::make_unique<TZamer_Klient>(Dm(), klienci); };
    const Make sprzedaz = [&] { return std::make_unique<TZamer_KlientSprzedaz>(Dm(), sprzedaze); };
    const Make wizyta = [&] { return std::make_unique<TZamer_Wizyta>(Dm(), wizyty); };
    const struct
    {
        const char *stylesheet;
        Make source;
        const char *result; // a text of the result
    } cases[] = {
        {"Klient_X2Y.xsl", klient, "classname=\"TPelk_Obiekt\""},
        {"Dystrybutor_X2Y.xsl", klient, "classname=\"TPelk_Obiekt\""},
        {"Sprzedaz_X2Y.xsl", sprzedaz, "classname=\"TPelk_ObiektSprzedaz\""},
        {"Wizyta_X2Y.xsl", wizyta, "classname=\"TPelk_WizytaPozycjeCollectionItem\""},
        {"Copy.xsl", klient, "type=\"String\"> </property>"},
        {"Copy.xsl", sprzedaz, "classname=\"TZamer_KlientSprzedazPozycjaCollectionItem\""},
        {"Copy.xsl", wizyta, "classname=\"TZamer_WizytaPozycjeCollectionItem\""},
        {"CopyStripped.xsl", wizyta, "classname=\"TZamer_WizytaPozycjeCollectionItem\""},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stylesheet);
        std::unique_ptr<TInterfaceObject> source = c.source();
        int next = 0;
        FillWithAwkwardTexts(*source, next);
        const Paths p = BothWays(*source, QLatin1String(c.stylesheet), ++n);
        // The transformation left the tree as it was: were the element to stop here, its file
        // would hold the same; and that is what the object writes to a file (as the earlier
        // version kept it, indented).
        EXPECT_EQ(p.keptAfter.toStdString(), p.kept.toStdString());
        EXPECT_EQ(p.written.toStdString(), p.kept.toStdString());
        EXPECT_EQ(p.oneGo.toStdString(), p.fromFile.toStdString());
        EXPECT_TRUE(p.oneGo.contains(c.result)) << p.oneGo.toStdString();
    }
}
