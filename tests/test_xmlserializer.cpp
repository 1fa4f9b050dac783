#include "app/Settings.h"
#include "config/ObjectCollection.h"
#include "config/Variant.h"
#include "config/XMLSerializer.h"
#include "support/TestSupport.h"
#include "support/Unreadable.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>

namespace {
// The zone rules the expectations are written for.
const bool zoneSet = [] {
    setenv("TZ", "Europe/Warsaw", 1);
    tzset();
    return true;
}();
} // namespace

namespace pelk::xmltest {

class TChild : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(QString Note MEMBER Note)
    Q_PROPERTY(pelk::TStringList *Lines READ Lines)
public:
    explicit TChild(QObject *parent = nullptr) : TPersistent(parent), m_lines(new TStringList(this)) {}
    QString Note;
    TStringList *Lines() const { return m_lines; }

private:
    TStringList *m_lines;
};

class TAllKinds : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(short Small MEMBER Small)
    Q_PROPERTY(uint Big MEMBER Big)
    Q_PROPERTY(qint64 Huge MEMBER Huge)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(double When MEMBER When)
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(QString Wide MEMBER Wide)
    Q_PROPERTY(bool Active MEMBER Active)
    Q_PROPERTY(bool Visible MEMBER Visible)
    Q_PROPERTY(Colour Tint MEMBER Tint)
    Q_PROPERTY(Colour Shade MEMBER Shade)
    Q_PROPERTY(pelk::Variant Value MEMBER Value)
    Q_PROPERTY(pelk::xmltest::TChild *Child READ Child)
    Q_PROPERTY(QString ReadOnly READ ReadOnly)
    Q_CLASSINFO("olestr:Wide", "")
    Q_CLASSINFO("default:Visible", "0")
    Q_CLASSINFO("default:Tint", "1")
public:
    enum Colour { Red, Green, Blue };
    Q_ENUM(Colour)
    explicit TAllKinds(QObject *parent = nullptr) : TPersistent(parent), m_child(new TChild(this)) {}
    int Count = 0;
    short Small = 0;
    uint Big = 0;
    qint64 Huge = 0;
    double Ratio = 0, When = 0;
    QString Name, Wide;
    bool Active = true, Visible = false;
    Colour Tint = Green, Shade = Red;
    Variant Value;
    TChild *Child() const { return m_child; }
    QString ReadOnly() const { return QStringLiteral("fixed"); }

private:
    TChild *m_child;
};

// Holds itself: saving must not recurse without end.
class TLoop : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(pelk::TPersistent *Self READ Self)
    Q_PROPERTY(int Count MEMBER Count)
public:
    using TPersistent::TPersistent;
    TPersistent *Self() { return this; }
    int Count = 3;
};

} // namespace pelk::xmltest

using namespace pelk;
using namespace pelk::xmltest;

namespace {

class XmlSerializerTest : public ::testing::Test
{
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // A serializer holding the document read from the text.
    std::unique_ptr<TXMLSerializer> Read(const QByteArray &xml, bool system = true)
    {
        const QString file = Path(QStringLiteral("in.xml"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(xml);
        f.close();
        std::unique_ptr<TXMLSerializer> s(system ? TXMLSerializer::CreateSystemSerializer(nullptr) : new TXMLSerializer);
        EXPECT_TRUE(s->LoadDocument(file));
        return s;
    }

    // Saves the object with a serializer configured by the options and reads the file back.
    QByteArray SaveBytes(QObject *object, const QString &name, TXMLSerializer &s)
    {
        s.SaveObject(object, name);
        const QString file = Path(QStringLiteral("out.xml"));
        EXPECT_TRUE(s.SaveDocument(file));
        return test::ReadFileBytes(file);
    }

    QTemporaryDir m_dir;
};

const QByteArray kWorkedExample =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<classes>\r\n"
    "  <class classname=\"TSettingsProcess\" name=\"TSettingsProcess\">\r\n"
    "    <properties>\r\n"
    "      <property name=\"WorkDirectory\" type=\"String\">C:\\Wymiana</property>\r\n"
    "      <property name=\"ObjectToProcess\" type=\"Object\" class=\"TObjectToProcessCollection\">\r\n"
    "        <class classname=\"TObjectToProcessCollection\" name=\"ObjectToProcess\">\r\n"
    "          <customdata>\r\n"
    "            <class classname=\"TObjectToProcessCollectionItem\" name=\"Item_1\">\r\n"
    "              <properties>\r\n"
    "                <property name=\"NazwaObiektu\" type=\"String\">Klient</property>\r\n"
    "                <property name=\"NazwaObiektRules\" type=\"String\">Klient</property>\r\n"
    "                <property name=\"ListaDozwolonychStanow\" type=\"Integer\">15</property>\r\n"
    "                <property name=\"Stan\" type=\"Enumeration\">esSysXtoSysY</property>\r\n"
    "              </properties>\r\n"
    "            </class>\r\n"
    "          </customdata>\r\n"
    "        </class>\r\n"
    "      </property>\r\n"
    "    </properties>\r\n"
    "  </class>\r\n"
    "</classes>\r\n";

TEST_F(XmlSerializerTest, WorkedExampleBytesAndReadBack)
{
    TSettingsProcess settings;
    settings.WorkDirectory = QStringLiteral("C:\\Wymiana");
    auto *item = settings.ObjectToProcess()->Add();
    item->NazwaObiektu = item->NazwaObiektRules = QStringLiteral("Klient");
    item->ListaDozwolonychStanow = 15;
    item->Stan = esSysXtoSysY;

    std::unique_ptr<TXMLSerializer> s(TXMLSerializer::CreateSystemSerializer(nullptr));
    EXPECT_EQ(SaveBytes(&settings, QStringLiteral("TSettingsProcess"), *s), kWorkedExample);

    auto in = Read(kWorkedExample);
    TSettingsProcess loaded;
    loaded.ObjectToProcess()->Add();
    loaded.ObjectToProcess()->Add();
    ASSERT_NE(in->LoadObject(&loaded, QStringLiteral("TSettingsProcess")), nullptr);
    EXPECT_EQ(loaded.WorkDirectory, "C:\\Wymiana");
    ASSERT_EQ(loaded.ObjectToProcess()->Count(), 1);
    EXPECT_EQ(loaded.ObjectToProcess()->Items(0)->NazwaObiektRules, "Klient");
    EXPECT_EQ(loaded.ObjectToProcess()->Items(0)->ListaDozwolonychStanow, 15);
    EXPECT_EQ(loaded.ObjectToProcess()->Items(0)->Stan, esSysXtoSysY);
}

TEST_F(XmlSerializerTest, EveryKindRoundTrips)
{
    for (bool system : {true, false}) {
        SCOPED_TRACE(system ? "system serializer" : "default serializer");
        TAllKinds a;
        a.Count = -123456;
        a.Small = -300;
        a.Big = 4000000000u;
        a.Huge = 9000000000123LL;
        a.Ratio = 1234567.25;
        a.When = EncodeDate(2009, 7, 14) + EncodeTime(10, 30, 0, 250);
        a.Name = QStringLiteral("Zażółć <gęślą> & \"jaźń\"\r\ndruga linia\r\n");
        a.Wide = QStringLiteral("szeroki\x01 tekst"); // \x01 cannot live in XML: dropped
        a.Active = false;
        a.Visible = true;
        a.Tint = TAllKinds::Blue;
        a.Shade = TAllKinds::Green;
        a.Value = Variant(42);
        // A surrogate pair is one character and stays; a lone surrogate cannot live in XML.
        a.Child()->Note = QStringLiteral("dziecko \U0001F600") + QChar(0xD800);
        a.Child()->Lines()->Lines = {QStringLiteral("jeden"), QString(), QStringLiteral("trzy")};

        std::unique_ptr<TXMLSerializer> s(system ? TXMLSerializer::CreateSystemSerializer(nullptr) : new TXMLSerializer);
        s->SetSpecialClasses(scTCollection | scTStrings);
        const QByteArray bytes = SaveBytes(&a, QStringLiteral("All"), *s);
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        EXPECT_TRUE(bytes.contains("<property name=\"Wide\" type=\"OleStr\">"));
        EXPECT_TRUE(bytes.contains("<property name=\"When\" type=\"Double\">"));
        EXPECT_TRUE(bytes.contains("<property name=\"Huge\" type=\"Int64\">9000000000123<"));
        // Sorted order only without the system configuration.
        EXPECT_EQ(bytes.indexOf("\"Active\"") < bytes.indexOf("\"Count\""), !system);

        auto in = Read(bytes, system);
        in->SetSpecialClasses(scTCollection | scTStrings);
        TAllKinds b;
        ASSERT_NE(in->LoadObject(&b, QStringLiteral("all")), nullptr);
        EXPECT_EQ(b.Count, a.Count);
        EXPECT_EQ(b.Small, a.Small);
        EXPECT_EQ(b.Big, a.Big);
        EXPECT_EQ(b.Huge, a.Huge);
        EXPECT_EQ(b.Ratio, a.Ratio);
        EXPECT_NEAR(b.When, a.When, 1e-9);
        EXPECT_EQ(b.Name, a.Name);
        EXPECT_EQ(b.Wide, QStringLiteral("szeroki tekst"));
        EXPECT_FALSE(b.Active);
        EXPECT_TRUE(b.Visible);
        EXPECT_EQ(b.Tint, TAllKinds::Blue);
        EXPECT_EQ(b.Shade, TAllKinds::Green);
        EXPECT_EQ(b.Value, Variant(42));
        EXPECT_EQ(b.Value.type(), varInteger);
        EXPECT_EQ(b.Child()->Note, QStringLiteral("dziecko \U0001F600"));
        EXPECT_EQ(b.Child()->Lines()->Lines, a.Child()->Lines()->Lines);
    }
}

TEST_F(XmlSerializerTest, VariantValuesKeepTypeAndValue)
{
    const TDateTime march = EncodeDate(2009, 3, 14) + EncodeTime(10, 30, 0, 250);
    const std::vector<std::pair<Variant, QByteArray>> cases = {
        {Variant(-7), "type=\"Integer\">-7<"},
        {Variant(0.5), "type=\"Double\">0.5<"},
        {Variant::Currency(12.3456), "type=\"Currency\">12.3456<"},
        {Variant::Date(march), "type=\"Date\">2009-03-14T10:30:00.250+01:00<"},
        {Variant::OleStr(QStringLiteral("ąę")), "type=\"OleStr\">"},
        {Variant(QStringLiteral("tekst")), "type=\"String\">tekst<"},
        {Variant(false), "type=\"Boolean\">False<"},
        {Variant(qint64(1) << 40), "type=\"Int64\">1099511627776<"},
    };
    for (const auto &[value, expected] : cases) {
        SCOPED_TRACE(expected.constData());
        TAllKinds a;
        a.Value = value;
        std::unique_ptr<TXMLSerializer> s(TXMLSerializer::CreateSystemSerializer(nullptr));
        const QByteArray bytes = SaveBytes(&a, QStringLiteral("v"), *s);
        EXPECT_TRUE(bytes.contains(expected));
        TAllKinds b;
        Read(bytes)->LoadObject(&b, QStringLiteral("v"));
        EXPECT_EQ(b.Value.type(), value.type());
        EXPECT_EQ(b.Value, value);
    }
    // Null is written without text and leaves the loaded property as constructed.
    TAllKinds a, b;
    a.Value = Variant::Null();
    b.Value = Variant(5);
    TXMLSerializer s;
    const QByteArray bytes = SaveBytes(&a, QStringLiteral("v"), s);
    EXPECT_TRUE(bytes.contains("<property name=\"Value\" type=\"Null\"/>"));
    Read(bytes)->LoadObject(&b, QStringLiteral("v"));
    EXPECT_EQ(b.Value, Variant(5));
}

TEST_F(XmlSerializerTest, BooleanAndEnumerationDefaultsAreOmitted)
{
    TAllKinds a; // Active True (no declared default), Visible False (default 0), Tint Green (default 1)
    std::unique_ptr<TXMLSerializer> s(TXMLSerializer::CreateSystemSerializer(nullptr));
    QByteArray bytes = SaveBytes(&a, QStringLiteral("d"), *s);
    EXPECT_FALSE(bytes.contains("\"Active\""));
    EXPECT_FALSE(bytes.contains("\"Visible\""));
    EXPECT_FALSE(bytes.contains("\"Tint\""));
    EXPECT_TRUE(bytes.contains("<property name=\"Shade\" type=\"Enumeration\">Red</property>"));

    // Omitted properties keep the values the loading object was constructed with.
    TAllKinds b;
    b.Active = false;
    b.Visible = true;
    b.Tint = TAllKinds::Red;
    Read(bytes)->LoadObject(&b, QStringLiteral("d"));
    EXPECT_FALSE(b.Active);
    EXPECT_TRUE(b.Visible);
    EXPECT_EQ(b.Tint, TAllKinds::Red);

    a.Active = false;
    a.Visible = true;
    s.reset(TXMLSerializer::CreateSystemSerializer(nullptr));
    bytes = SaveBytes(&a, QStringLiteral("d"), *s);
    EXPECT_TRUE(bytes.contains("<property name=\"Active\" type=\"Enumeration\">False</property>"));
    EXPECT_TRUE(bytes.contains("<property name=\"Visible\" type=\"Enumeration\">True</property>"));
}

QByteArray CollectionXml(int items)
{
    QByteArray xml = "<classes><class classname=\"TSettingsProcess\" name=\"S\"><properties>"
                     "<property name=\"ObjectToProcess\" type=\"Object\"><class "
                     "classname=\"TObjectToProcessCollection\" name=\"ObjectToProcess\"><customdata>";
    for (int i = 1; i <= items; ++i)
        xml += QStringLiteral("<class classname=\"TObjectToProcessCollectionItem\" name=\"Item_%1\">"
                              "<properties><property name=\"NazwaObiektu\" type=\"String\">new%1"
                              "</property></properties></class>")
                   .arg(i)
                   .toUtf8();
    return xml + "</customdata></class></property></properties></class></classes>";
}

TEST_F(XmlSerializerTest, CollectionItemsAreRecreatedFromTheFront)
{
    auto fill = [](TSettingsProcess &s, int n) {
        for (int i = 0; i < n; ++i) {
            auto *item = s.ObjectToProcess()->Add();
            item->NazwaObiektu = QStringLiteral("old%1").arg(i + 1);
            item->NazwaObiektRules = item->NazwaObiektu;
        }
    };
    TSettingsProcess five;
    fill(five, 5);
    Read(CollectionXml(2))->LoadObject(&five, QStringLiteral("s"));
    ASSERT_EQ(five.ObjectToProcess()->Count(), 2);
    EXPECT_EQ(five.ObjectToProcess()->Items(0)->NazwaObiektRules, "old4");
    EXPECT_EQ(five.ObjectToProcess()->Items(0)->NazwaObiektu, "new1");
    EXPECT_EQ(five.ObjectToProcess()->Items(1)->NazwaObiektRules, "old5");
    EXPECT_EQ(five.ObjectToProcess()->Items(1)->NazwaObiektu, "new2");

    TSettingsProcess none;
    Read(CollectionXml(3))->LoadObject(&none, QStringLiteral("s"));
    ASSERT_EQ(none.ObjectToProcess()->Count(), 3);
    EXPECT_EQ(none.ObjectToProcess()->Items(2)->NazwaObiektu, "new3");

    // Without recreation the existing items are only re-filled.
    TSettingsProcess kept;
    fill(kept, 5);
    auto s = Read(CollectionXml(2));
    s->SetStorageOptions(0);
    s->LoadObject(&kept, QStringLiteral("s"));
    ASSERT_EQ(kept.ObjectToProcess()->Count(), 5);
    EXPECT_EQ(kept.ObjectToProcess()->Items(1)->NazwaObiektu, "new2");
    EXPECT_EQ(kept.ObjectToProcess()->Items(2)->NazwaObiektu, "old3");
}

TEST_F(XmlSerializerTest, MatchingIgnoresCaseAndNeedsTheClassName)
{
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<root>\n  <CLASS classname=\"tallkinds\" name=\"ALL\">\n"
                           "    <PROPERTIES>\n      <property name=\"count\" type=\"integer\">17</property>\n"
                           "      <property name=\"shade\" type=\"enumeration\">bLuE</property>\n"
                           "      <property name=\"name\" type=\"string\"></property>\n"
                           "      <property name=\"Unknown\" type=\"String\">x</property>\n"
                           "      <property name=\"ReadOnly\" type=\"String\">x</property>\n"
                           "      <property name=\"Child\" type=\"object\"><class classname=\"TChild\" name=\"child\">"
                           "<properties><property name=\"Note\" type=\"String\">n</property></properties></class>"
                           "</property>\n    </PROPERTIES>\n  </CLASS>\n</root>\n";
    auto s = Read(xml);
    TAllKinds a;
    a.Name = QStringLiteral("unchanged");
    ASSERT_NE(s->LoadObject(&a, QStringLiteral("all")), nullptr);
    EXPECT_EQ(a.Count, 17);
    EXPECT_EQ(a.Shade, TAllKinds::Blue);
    EXPECT_EQ(a.Name, "unchanged"); // empty text leaves the property as it was
    EXPECT_EQ(a.Child()->Note, "n");

    // Other class name, other name, or no name at all: nothing is loaded.
    TChild other;
    EXPECT_EQ(s->LoadObject(&other, QStringLiteral("all")), nullptr);
    TAllKinds b;
    EXPECT_EQ(s->LoadObject(&b, QStringLiteral("other")), nullptr);
    EXPECT_EQ(s->LoadObject(&b, QString()), nullptr);
    EXPECT_EQ(s->SaveObject(&b, QString()), nullptr);
    b.setObjectName(QStringLiteral("All"));
    EXPECT_NE(s->LoadObject(&b, QString()), nullptr);
    EXPECT_EQ(b.Count, 17);
}

TEST_F(XmlSerializerTest, MalformedStructuresNeitherCrashNorCreateObjects)
{
    const QByteArray xml = "<classes>text<class classname=\"TSettingsProcess\" name=\"s\"><properties>"
                           "<property type=\"String\">no name</property><other name=\"WorkDirectory\" type=\"String\">"
                           "C:\\W</other><property name=\"ObjectToProcess\" type=\"ObjectLink\">x</property>"
                           "<property name=\"ObjectToProcess\" type=\"Object\"><class classname=\"TObjectToProcessCollection\" "
                           "name=\"ObjectToProcess\"><customdata>junk<!-- c --><class/><class classname=\"x\"/>"
                           "</customdata></class></property></properties></class><class/></classes>";
    TSettingsProcess p;
    ASSERT_NE(Read(xml)->LoadObject(&p, QStringLiteral("s")), nullptr);
    EXPECT_EQ(p.WorkDirectory, "C:\\W");
    // Two element children: two items, neither matched by name, so both as constructed.
    ASSERT_EQ(p.ObjectToProcess()->Count(), 2);
    EXPECT_EQ(p.ObjectToProcess()->Items(0)->NazwaObiektu, "");

    TLoop loop;
    TXMLSerializer s;
    const QByteArray bytes = SaveBytes(&loop, QStringLiteral("loop"), s);
    EXPECT_FALSE(bytes.contains("\"Self\""));
    EXPECT_TRUE(bytes.contains("<property name=\"Count\" type=\"Integer\">3</property>"));
}

TEST_F(XmlSerializerTest, HooksFireAndCanSkip)
{
    TAllKinds a;
    a.Count = 5;
    a.Name = QStringLiteral("n");
    a.Child()->Note = QStringLiteral("c");
    std::unique_ptr<TXMLSerializer> s(TXMLSerializer::CreateSystemSerializer(nullptr));
    QStringList events;
    s->OnPropertySaving = [&](TXMLSerializer *, QObject *, const QString &, const QString &prop, bool &skip) {
        skip = prop == "Name";
    };
    s->OnObjectSaving = [&](TXMLSerializer *, QObject *, const QString &name, xmlNodePtr node, bool &) {
        EXPECT_EQ(node, nullptr);
        events << "saving " + name;
    };
    s->OnObjectSave = [&](TXMLSerializer *, QObject *, const QString &name, xmlNodePtr node) {
        EXPECT_NE(node, nullptr);
        events << "saved " + name;
    };
    s->OnXMLSave = [&](TXMLSerializer *sender) { events << (sender == s.get() ? "file" : "?"); };
    const QByteArray bytes = SaveBytes(&a, QStringLiteral("h"), *s);
    EXPECT_EQ(events.join(QLatin1Char(',')).toStdString(),
              "saving h,saving Child,saving Lines,saved Lines,saved Child,saved h,file");
    EXPECT_FALSE(bytes.contains("\"Name\""));

    auto in = Read(bytes);
    TAllKinds b;
    in->OnPropertyLoading = [](TXMLSerializer *, QObject *, const QString &, const QString &prop, xmlNodePtr, bool &skip) {
        skip = prop == "Count";
    };
    in->OnObjectLoading = [](TXMLSerializer *, QObject *, const QString &name, xmlNodePtr, bool &skip) {
        skip = name == "Child";
    };
    int loaded = 0;
    in->OnObjectLoad = [&](TXMLSerializer *, QObject *, const QString &, xmlNodePtr) { ++loaded; };
    in->LoadObject(&b, QStringLiteral("h"));
    EXPECT_EQ(b.Count, 0);
    EXPECT_EQ(b.Child()->Note, "");
    EXPECT_EQ(loaded, 1);
}

QByteArray PropertyXml(const QByteArray &properties)
{
    return "<classes><class classname=\"TAllKinds\" name=\"e\"><properties>"
           "<property name=\"Name\" type=\"String\">before</property>"
        + properties + "<property name=\"Ratio\" type=\"Double\">2.5</property></properties></class></classes>";
}

TEST_F(XmlSerializerTest, SetPropertyErrorsAbortUnlessIgnoredOrHandled)
{
    const QList<QByteArray> bad = {
        "<property name=\"Count\" type=\"Integer\">abc</property>",
        "<property name=\"Count\" type=\"Integer\">3000000000</property>",
        "<property name=\"Small\" type=\"Integer\">40000</property>",
        "<property name=\"Shade\" type=\"Enumeration\">Purple</property>",
        "<property name=\"Count\" type=\"Object\" class=\"TChild\"><class classname=\"TChild\" "
        "name=\"Count\"/></property>",
        "<property name=\"Name\" type=\"Enumeration\">Red</property>",
        "<property name=\"When\" type=\"Date\">2009-13-45T10:00:00</property>",
        "<property name=\"Value\" type=\"Dispatch\">1</property>",
    };
    for (const QByteArray &prop : bad) {
        SCOPED_TRACE(prop.constData());
        auto s = Read(PropertyXml(prop));
        TAllKinds a;
        try {
            s->LoadObject(&a, QStringLiteral("e"));
            ADD_FAILURE() << "no exception";
        } catch (const EXSSetPropertyException &e) {
            EXPECT_EQ(e.message(), "XML Serializer. Cannot set property value");
        }
        EXPECT_EQ(a.Name, "before");
        EXPECT_EQ(a.Ratio, 0.0);

        s->SetStorageOptions(soIgnoreSetPropertyError);
        TAllKinds b;
        s->LoadObject(&b, QStringLiteral("e"));
        EXPECT_EQ(b.Ratio, 2.5);

        s->SetStorageOptions(0);
        QString reported;
        s->OnSetPropertyError = [&](TXMLSerializer *, const QString &name, xmlNodePtr node, const Exception &, bool &handled) {
            reported = name + "/" + QString::fromUtf8(reinterpret_cast<const char *>(node->name));
            handled = true;
        };
        TAllKinds c;
        s->LoadObject(&c, QStringLiteral("e"));
        EXPECT_EQ(c.Ratio, 2.5);
        EXPECT_FALSE(reported.isEmpty());
        EXPECT_TRUE(reported.endsWith("/property"));
    }
}

TEST_F(XmlSerializerTest, DocumentFilesAndTheirFailures)
{
    TXMLSerializer s;
    // Each failure says why: a file that is not there is not one that cannot be read.
    QString error;
    EXPECT_FALSE(s.LoadDocument(Path(QStringLiteral("missing.xml")), &error));
    EXPECT_EQ(error, Path(QStringLiteral("missing.xml")) + QStringLiteral(": file missing"));
    EXPECT_FALSE(s.LoadDocument(QStringLiteral("  ")));
    test::WriteFileText(Path(QStringLiteral("locked.xml")), QStringLiteral("<classes/>"));
    test::WhileUnreadable(Path(QStringLiteral("locked.xml")), [&] {
        EXPECT_FALSE(s.LoadDocument(Path(QStringLiteral("locked.xml")), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("Permission denied"))) << error.toStdString();
    });

    test::WriteFileText(Path(QStringLiteral("bad.xml")),
                        QStringLiteral("<?xml version=\"1.0\"?>\n<classes>\n  <class name=\"a\">\n</classes>\n"));
    try {
        s.LoadDocument(QStringLiteral(" ") + Path(QStringLiteral("bad.xml")) + QStringLiteral(" "));
        ADD_FAILURE() << "no exception";
    } catch (const EXMLParseError &e) {
        // The parser's reason, where it stopped and the start of that line.
        EXPECT_TRUE(e.message().endsWith(QStringLiteral(" (line 4, column 11): </classes>"))) << e.what();
        EXPECT_FALSE(e.message().startsWith(QStringLiteral(" (line"))) << e.what();
    }
    // The parser is reused: the next document's error is its own, and a good one reads cleanly.
    test::WriteFileText(Path(QStringLiteral("text.xml")), QStringLiteral("not xml at all"));
    try {
        s.LoadDocument(Path(QStringLiteral("text.xml")));
        ADD_FAILURE() << "no exception";
    } catch (const EXMLParseError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral(" (line 1, column "))) << e.what();
        EXPECT_TRUE(e.message().endsWith(QStringLiteral("): not xml at all"))) << e.what();
    }
    EXPECT_TRUE(s.LoadDocumentFromBytes("<classes><class classname=\"X\" name=\"x\"/></classes>"));
}

TEST_F(XmlSerializerTest, SavedDocumentsTheirSettingsAndTheirFailures)
{
    TXMLSerializer s;
    QString error;
    ASSERT_TRUE(s.LoadDocumentFromBytes("<classes><class classname=\"X\" name=\"x\"/></classes>"));
    test::WriteFileText(Path(QStringLiteral("bad.xml")), QStringLiteral("<classes><class name=\"a\">\n</classes>\n"));

    // Settings and the declaration; an existing file is replaced.
    TAllKinds a;
    a.Name = QStringLiteral("Łódź");
    s.XMLSettings()->SetEncoding(QStringLiteral("ISO-8859-2"));
    s.XMLSettings()->SetStandalone(TxsXMLSettings::No);
    s.SaveObject(&a, QStringLiteral("a"));
    s.SetFileName(Path(QStringLiteral("bad.xml")));
    ASSERT_TRUE(s.SaveDocument());
    const QByteArray bytes = test::ReadFileBytes(Path(QStringLiteral("bad.xml")));
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"ISO-8859-2\" standalone=\"no\"?>\r\n<classes>"));
    EXPECT_TRUE(bytes.contains("\xa3\xf3"
                               "d\xbc"));
    TXMLSerializer r;
    ASSERT_TRUE(r.LoadDocument(Path(QStringLiteral("bad.xml"))));
    EXPECT_EQ(r.XMLSettings()->Encoding(), "ISO-8859-2");
    TAllKinds b;
    r.LoadObject(&b, QStringLiteral("a"));
    EXPECT_EQ(b.Name, a.Name);

    EXPECT_FALSE(s.SaveDocument(Path(QStringLiteral("no/such/folder/x.xml")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("No such file or directory"))) << error.toStdString();
    EXPECT_FALSE(s.SaveDocument(m_dir.path(), &error));
    EXPECT_FALSE(error.isEmpty());
    s.XMLSettings()->SetEncoding(QStringLiteral("no-such-encoding"));
    EXPECT_FALSE(s.SaveDocument(Path(QStringLiteral("enc.xml")), &error));
    EXPECT_EQ(error, QStringLiteral("unknown encoding no-such-encoding"));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("enc.xml"))));
    // Clear empties the parent even when nothing is written.
    s.SaveObject(nullptr, QString(), true);
    EXPECT_EQ(xmlDocGetRootElement(s.GetDocument())->children, nullptr);
}

TEST(XmlSerializerSettings, AssignCopiesConfigurationAndRefusesOtherClasses)
{
    std::unique_ptr<TXMLSerializer> sys(TXMLSerializer::CreateSystemSerializer(nullptr));
    sys->SetFileName(QStringLiteral("x.xml"));
    sys->XMLSettings()->SetXSNormalization(false);
    TXMLSerializer copy;
    EXPECT_EQ(copy.StorageOptions(), soSortProperties);
    EXPECT_EQ(copy.XMLSettings()->Encoding(), "ISO-8859-1");
    EXPECT_EQ(copy.XMLSettings()->Standalone(), TxsXMLSettings::Yes);
    copy.Assign(sys.get());
    EXPECT_EQ(copy.FileName(), "x.xml");
    EXPECT_EQ(copy.StorageOptions(), soRecreateCollectionItems);
    EXPECT_EQ(copy.SpecialClasses(), scTCollection);
    EXPECT_EQ(copy.XMLSettings()->Encoding(), "UTF-8");
    EXPECT_TRUE(copy.XMLSettings()->WellFormated());
    EXPECT_FALSE(copy.XMLSettings()->XSNormalization());
    TStringList other;
    EXPECT_THROW(copy.Assign(&other), Exception);
    EXPECT_THROW(copy.XMLSettings()->Assign(&copy), Exception);
}

} // namespace

#include "test_xmlserializer.moc"
