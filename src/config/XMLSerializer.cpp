#include "XMLSerializer.h"

#include "AtomicFile.h"

#include "Common.h"
#include "NumberText.h"
#include "ObjectCollection.h"
#include "XmlParserContext.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <limits>

namespace pelk {

namespace {

const xmlChar *X(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}

QString FromXml(const xmlChar *s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char *>(s)) : QString();
}

// Characters XML 1.0 cannot carry: control characters other than tab and line breaks,
// surrogates (a pair is kept whole by ToXml), U+FFFE and U+FFFF.
bool IsXmlUnsafe(char16_t u)
{
    return (u < 0x20 && u != '\t' && u != '\n' && u != '\r') || QChar::isSurrogate(u) || u == 0xFFFE || u == 0xFFFF;
}

// UTF-8 of a text without the characters XML cannot carry: written, they would make the file
// unreadable.
QByteArray ToXml(const QString &text)
{
    // Most texts hold nothing to drop: those are converted as they stand.
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return IsXmlUnsafe(c.unicode()); }))
        return text.toUtf8();
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            clean += c;
            clean += text.at(++i);
        } else if (!IsXmlUnsafe(c.unicode())) {
            clean += c;
        }
    }
    return clean.toUtf8();
}

QString Attr(xmlNodePtr node, const char *name)
{
    xmlChar *value = xmlGetProp(node, X(name));
    const QString result = FromXml(value);
    xmlFree(value);
    return result;
}

// The names of a class's properties after QObject's own, in index order: read once per class
// and thread instead of once per property read.
const QList<QLatin1String> &PropertyNames(const QMetaObject *mo)
{
    thread_local QHash<const QMetaObject *, QList<QLatin1String>> known;
    auto it = known.find(mo);
    if (it == known.end()) {
        QList<QLatin1String> names;
        for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
            names.append(QLatin1String(mo->property(i).name()));
        it = known.insert(mo, names);
    }
    return *it;
}

// Every attribute is written once, on the element just added: no search for an earlier one.
void AddAttr(xmlNodePtr node, const char *name, const QString &value)
{
    xmlNewProp(node, X(name), X(ToXml(value).constData()));
}

QString Content(xmlNodePtr node)
{
    xmlChar *value = xmlNodeGetContent(node);
    const QString result = FromXml(value);
    xmlFree(value);
    return result;
}

bool IsElement(xmlNodePtr node, const char *tag)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return false;
    if (xmlStrcasecmp(node->name, X(tag)) == 0)
        return true;
    // An ASCII name that differs from the tag in ASCII differs in any case folding.
    const bool ascii = std::all_of(node->name, node->name + xmlStrlen(node->name), [](xmlChar c) { return c < 0x80; });
    return !ascii && SameText(FromXml(node->name), QLatin1String(tag));
}

xmlNodePtr ChildElement(xmlNodePtr parent, const char *tag)
{
    for (xmlNodePtr c = parent ? parent->children : nullptr; c; c = c->next)
        if (IsElement(c, tag))
            return c;
    return nullptr;
}

xmlNodePtr AddElement(xmlNodePtr parent, const char *tag)
{
    return xmlNewChild(parent, nullptr, X(tag), nullptr);
}

void AddText(xmlNodePtr node, const QString &text)
{
    if (!text.isEmpty())
        xmlAddChild(node, xmlNewDocText(node->doc, X(ToXml(text).constData())));
}

QString EffectiveName(const QObject *object, const QString &name)
{
    return name.isEmpty() ? object->objectName() : name;
}

// How a published property is written and read.
enum class Kind { Unsupported, Integer, Int64, Enumeration, Boolean, Double, String, Variant, Object };

Kind KindOf(const QMetaProperty &p)
{
    if (p.isEnumType())
        return p.isFlagType() ? Kind::Integer : Kind::Enumeration;
    const QMetaType t = p.metaType();
    if (t == QMetaType::fromType<pelk::Variant>())
        return Kind::Variant;
    if (t.flags() & QMetaType::PointerToQObject)
        return Kind::Object;
    switch (t.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::QChar:
    case QMetaType::Char16: return Kind::Integer;
    case QMetaType::Long:
    case QMetaType::ULong: return sizeof(long) == 4 ? Kind::Integer : Kind::Int64;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return Kind::Int64;
    case QMetaType::Bool: return Kind::Boolean;
    case QMetaType::Double:
    case QMetaType::Float: return Kind::Double;
    case QMetaType::QString: return Kind::String;
    default: return Kind::Unsupported;
    }
}

// Variant type whose range an integer property accepts.
int RangeCode(const QMetaProperty &p)
{
    if (p.isFlagType())
        return varInteger;
    switch (p.metaType().id()) {
    case QMetaType::Short: return varSmallint;
    case QMetaType::UShort:
    case QMetaType::QChar:
    case QMetaType::Char16: return varWord;
    case QMetaType::SChar: return varShortInt;
    case QMetaType::UChar: return varByte;
    case QMetaType::Char: return std::numeric_limits<char>::is_signed ? varShortInt : varByte;
    case QMetaType::UInt: return varLongWord;
    case QMetaType::Long: return sizeof(long) == 4 ? varInteger : varInt64;
    case QMetaType::ULong: return sizeof(long) == 4 ? varLongWord : varInt64;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return varInt64;
    default: return varInteger;
    }
}

qint64 ReadIntegral(const QMetaProperty &p, const QVariant &v)
{
    const int id = p.metaType().id();
    if (id == QMetaType::QChar)
        return v.value<QChar>().unicode();
    if (id == QMetaType::Char16)
        return v.value<char16_t>();
    if (id == QMetaType::ULongLong || (id == QMetaType::ULong && sizeof(long) == 8))
        return qint64(v.toULongLong());
    return v.toLongLong();
}

bool HasClassInfo(const QObject *object, const QString &key)
{
    return object->metaObject()->indexOfClassInfo(key.toLatin1().constData()) >= 0;
}

// Declared default of an enumeration or Boolean property; the lowest integer when none.
int DeclaredDefault(const QObject *object, const char *propertyName)
{
    const QMetaObject *mo = object->metaObject();
    const int i = mo->indexOfClassInfo(QByteArray("default:").append(propertyName).constData());
    if (i >= 0) {
        bool ok = false;
        const int v = QString::fromLatin1(mo->classInfo(i).value()).trimmed().toInt(&ok);
        if (ok)
            return v;
    }
    return std::numeric_limits<int>::min();
}

int EnumValueOf(const QMetaEnum &e, const QString &identifier)
{
    const QString id = identifier.trimmed();
    for (int i = 0; i < e.keyCount(); ++i)
        if (SameText(QLatin1String(e.key(i)), id))
            return e.value(i);
    throw EConvertError(QStringLiteral("'%1' is not a valid value of %2").arg(identifier, QLatin1String(e.enumName())));
}

bool BoolValueOf(const QString &identifier)
{
    const QString id = identifier.trimmed();
    if (SameText(id, QLatin1String("True")))
        return true;
    if (SameText(id, QLatin1String("False")))
        return false;
    throw EConvertError(QStringLiteral("'%1' is not a valid Boolean value").arg(identifier));
}

// Assigns a value to a property, converted to the property's type within its range.
void AssignVariant(QObject *object, const QMetaProperty &p, const Variant &v)
{
    QVariant value;
    switch (KindOf(p)) {
    case Kind::Integer: {
        const qint64 x = v.convertTo(RangeCode(p)).toInt64();
        const int id = p.metaType().id();
        if (id == QMetaType::QChar)
            value = QVariant::fromValue(QChar(char16_t(x)));
        else if (id == QMetaType::Char16)
            value = QVariant::fromValue(char16_t(x));
        else if (p.isFlagType())
            value = QVariant(int(x));
        else {
            value = QVariant(x);
            if (!value.convert(p.metaType()))
                throw EVariantError(QStringLiteral("Invalid property value"));
        }
        break;
    }
    case Kind::Int64: {
        const qint64 x = v.convertTo(varInt64).toInt64();
        value = QVariant(x);
        if (!value.convert(p.metaType()))
            throw EVariantError(QStringLiteral("Invalid property value"));
        break;
    }
    case Kind::Enumeration: {
        const QMetaEnum e = p.enumerator();
        int x;
        if (v.isText()) {
            x = EnumValueOf(e, v.toString());
        } else {
            x = v.toInt();
            if (!e.valueToKey(x))
                throw EConvertError(QStringLiteral("%1 is not a valid value of %2").arg(x).arg(QLatin1String(e.enumName())));
        }
        value = QVariant(x);
        break;
    }
    case Kind::Boolean: value = QVariant(v.toBool()); break;
    case Kind::Double: {
        const double d = v.toDouble();
        value = p.metaType().id() == QMetaType::Float ? QVariant(float(d)) : QVariant(d);
        break;
    }
    case Kind::String: value = QVariant(v.toString()); break;
    case Kind::Variant: value = QVariant::fromValue(v); break;
    case Kind::Object:
    case Kind::Unsupported: throw EVariantError(QStringLiteral("Invalid property type: %1").arg(QLatin1String(p.typeName())));
    }
    if (!p.write(object, value))
        throw EVariantError(QStringLiteral("Cannot write property %1").arg(QLatin1String(p.name())));
}

QObject *HeldObject(QObject *object, const QMetaProperty &p)
{
    return p.read(object).value<QObject *>();
}

// Digits only, else -1.
int Number(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    int v = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

// Keeps the first error of a parse: later ones are mostly its consequences.
struct FirstError
{
    bool set = false;
    QString message;
    int line = 0;
    int column = 0;
};

bool Failed(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

void KeepFirstError(void *userData, xmlErrorPtr error)
{
    auto *ctxt = static_cast<xmlParserCtxtPtr>(userData);
    auto *first = ctxt ? static_cast<FirstError *>(ctxt->_private) : nullptr;
    if (!first || first->set || !error || error->level < XML_ERR_ERROR)
        return;
    first->set = true;
    first->message = QString::fromUtf8(error->message).trimmed();
    first->line = error->line;
    first->column = error->int2;
}

bool IsWideEncoding(const QString &encoding)
{
    const QString e = encoding.toUpper();
    return e.startsWith(QLatin1String("UTF-16")) || e.startsWith(QLatin1String("UTF-32")) || e.startsWith(QLatin1String("UCS"));
}

} // namespace

// ---------------------------------------------------------------------------------------------

EXMLParseError::EXMLParseError(const QString &reason, int line, int column, const QString &sourceText)
    : Exception(QStringLiteral("%1 (line %2, column %3): %4").arg(reason).arg(line).arg(column).arg(sourceText))
{}

// ---------------------------------------------------------------------------------------------

TxsXMLSettings::TxsXMLSettings(TXMLSerializer *serializer) : TPersistent(serializer), m_serializer(serializer) {}

QString TxsXMLSettings::Encoding() const
{
    if (!m_serializer)
        return m_encoding;
    return FromXml(m_serializer->GetDocument()->encoding);
}

void TxsXMLSettings::SetEncoding(const QString &value)
{
    if (!m_serializer) {
        m_encoding = value;
        return;
    }
    xmlDocPtr doc = m_serializer->GetDocument();
    if (doc->encoding)
        xmlFree(const_cast<xmlChar *>(doc->encoding));
    doc->encoding = value.isEmpty() ? nullptr : xmlStrdup(X(value.toUtf8().constData()));
}

TxsXMLSettings::TxsStandaloneType TxsXMLSettings::Standalone() const
{
    if (!m_serializer)
        return m_standalone;
    return m_serializer->GetDocument()->standalone == 1 ? Yes : No;
}

void TxsXMLSettings::SetStandalone(TxsStandaloneType value)
{
    if (!m_serializer)
        m_standalone = value;
    else
        m_serializer->GetDocument()->standalone = value == Yes ? 1 : 0;
}

void TxsXMLSettings::Assign(const TPersistent *source)
{
    const auto *other = qobject_cast<const TxsXMLSettings *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetEncoding(other->Encoding());
    SetStandalone(other->Standalone());
    SetXSNormalization(other->XSNormalization());
    SetWellFormated(other->WellFormated());
}

// ---------------------------------------------------------------------------------------------

TXMLSerializer::TXMLSerializer(QObject *owner) : TPersistent(owner), m_settings(new TxsXMLSettings(this))
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    Q_UNUSED(initialised);
}

TXMLSerializer::~TXMLSerializer()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
}

TXMLSerializer *TXMLSerializer::CreateSystemSerializer(QObject *owner)
{
    auto *s = new TXMLSerializer(owner);
    s->XMLSettings()->SetEncoding(QStringLiteral("UTF-8"));
    s->XMLSettings()->SetWellFormated(true);
    s->SetStorageOptions(soRecreateCollectionItems);
    s->SetSpecialClasses(scTCollection);
    return s;
}

void TXMLSerializer::Assign(const TPersistent *source)
{
    const auto *other = qobject_cast<const TXMLSerializer *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    m_fileName = other->m_fileName;
    m_specialClasses = other->m_specialClasses;
    m_storageOptions = other->m_storageOptions;
    m_settings->Assign(other->m_settings);
}

xmlDocPtr TXMLSerializer::GetDocument()
{
    if (!m_doc) {
        m_doc = xmlNewDoc(X("1.0"));
        xmlDocSetRootElement(m_doc, xmlNewDocNode(m_doc, nullptr, X("classes"), nullptr));
        m_doc->encoding = xmlStrdup(X("ISO-8859-1"));
        m_doc->standalone = 1;
    }
    return m_doc;
}

bool TXMLSerializer::LoadDocument(const QString &fileName, QString *error)
{
    QString name = fileName.trimmed();
    if (name.isEmpty())
        name = m_fileName.trimmed();
    if (name.isEmpty())
        return Failed(error, QStringLiteral("no file name"));
    if (!QFileInfo(name).isFile())
        return Failed(error, QStringLiteral("%1: file missing").arg(name));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(error, QStringLiteral("%1: %2").arg(name, file.errorString()));
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failed(error, QStringLiteral("%1: %2").arg(name, file.errorString()));
    if (!LoadDocumentFromBytes(text, error)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(name, *error);
        return false;
    }
    return true;
}

bool TXMLSerializer::LoadDocumentFromBytes(const QByteArray &text, QString *error)
{
    if (text.size() > std::numeric_limits<int>::max())
        return Failed(error, QStringLiteral("document too large"));
    thread_local XmlParserContext parser;
    xmlParserCtxtPtr ctxt = parser.Get();
    if (!ctxt)
        throw Exception(QStringLiteral("Cannot create the XML parser"));
    FirstError first;
    ctxt->_private = &first;
    auto forgetFirst = qScopeGuard([ctxt] { ctxt->_private = nullptr; });
    ctxt->sax->serror = KeepFirstError;
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, text.constData(), int(text.size()), nullptr, nullptr,
                                      XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc || !xmlDocGetRootElement(doc)) {
        if (doc)
            xmlFreeDoc(doc);
        const xmlError *last = xmlCtxtGetLastError(ctxt);
        if (!first.set && last && last->message) {
            first.message = QString::fromUtf8(last->message).trimmed();
            first.line = last->line;
            first.column = last->int2;
        }
        const QString reason = first.message.isEmpty() ? QStringLiteral("Document is empty") : first.message;
        const int line = first.line;
        QString source;
        if (line > 0) {
            const QList<QByteArray> lines = text.split('\n');
            if (line <= lines.size())
                source = QString::fromUtf8(lines.at(line - 1)).remove(QLatin1Char('\r')).left(40);
        }
        throw EXMLParseError(reason, line, first.column, source);
    }
    if (m_doc)
        xmlFreeDoc(m_doc);
    m_doc = doc;
    if (OnXMLLoad)
        OnXMLLoad(this);
    return true;
}

bool TXMLSerializer::SaveDocument(const QString &fileName, QString *error)
{
    QString name = fileName.trimmed();
    if (name.isEmpty())
        name = m_fileName.trimmed();
    if (name.isEmpty())
        return Failed(error, QStringLiteral("no file name"));
    QByteArray bytes;
    if (!SaveDocumentToBytes(bytes, error) || !WriteFileAtomically(name, bytes, Overwrite::Replace, error))
        return false;
    if (OnXMLSave)
        OnXMLSave(this);
    return true;
}

bool TXMLSerializer::SaveDocumentToBytes(QByteArray &bytes, QString *error)
{
    try {
        xmlDocPtr doc = GetDocument();
        const QString encoding = m_settings->Encoding();
        const QByteArray enc = encoding.toUtf8();
        if (!encoding.isEmpty()) {
            xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(enc.constData());
            if (!handler)
                return Failed(error, QStringLiteral("unknown encoding %1").arg(encoding));
            xmlCharEncCloseFunc(handler);
        }
        xmlChar *mem = nullptr;
        int size = 0;
        xmlDocDumpFormatMemoryEnc(doc, &mem, &size, encoding.isEmpty() ? nullptr : enc.constData(),
                                  m_settings->WellFormated() ? 1 : 0);
        if (!mem)
            return Failed(error, QStringLiteral("the document cannot be written in %1").arg(encoding));
        bytes = QByteArray(reinterpret_cast<const char *>(mem), size);
        xmlFree(mem);
        // Line ends CR LF. Line breaks inside texts stay intact: the writer escapes CR, and a
        // reader takes CR LF for LF.
        if (!IsWideEncoding(encoding))
            bytes.replace("\n", "\r\n");
        return true;
    } catch (const std::exception &e) {
        return Failed(error, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return Failed(error, QStringLiteral("unknown error"));
    }
}

// ---------------------------------------------------------------------------------------------
// Loading

xmlNodePtr TXMLSerializer::FindClass(xmlNodePtr parent, const QString &className, const QString &name) const
{
    for (xmlNodePtr c = parent ? parent->children : nullptr; c; c = c->next)
        if (IsElement(c, "class") && SameText(Attr(c, "classname"), className) && SameText(Attr(c, "name"), name))
            return c;
    return nullptr;
}

xmlNodePtr TXMLSerializer::LoadObject(QObject *object, const QString &name, xmlNodePtr parentNode)
{
    if (!object)
        return nullptr;
    const QString effective = EffectiveName(object, name);
    if (effective.isEmpty())
        return nullptr;
    xmlNodePtr parent = parentNode ? parentNode : xmlDocGetRootElement(GetDocument());
    xmlNodePtr node = FindClass(parent, TPersistent::BareClassName(object), effective);
    if (node)
        LoadClass(object, effective, node);
    return node;
}

void TXMLSerializer::LoadClass(QObject *object, const QString &name, xmlNodePtr node)
{
    bool skip = false;
    if (OnObjectLoading)
        OnObjectLoading(this, object, name, node, skip);
    if (skip)
        return;
    if (xmlNodePtr properties = ChildElement(node, "properties"))
        for (xmlNodePtr p = properties->children; p; p = p->next)
            if (p->type == XML_ELEMENT_NODE)
                LoadProperty(object, name, p);
    LoadSpecial(object, node);
    if (OnObjectLoad)
        OnObjectLoad(this, object, name, node);
}

void TXMLSerializer::LoadProperty(QObject *object, const QString &objectName, xmlNodePtr propNode)
{
    const QString propName = Attr(propNode, "name");
    if (propName.isEmpty())
        return;
    const QMetaObject *mo = object->metaObject();
    const QList<QLatin1String> &names = PropertyNames(mo);
    int index = -1;
    for (int i = 0; i < names.size(); ++i)
        if (SameText(names[i], propName)) {
            index = QObject::staticMetaObject.propertyCount() + i;
            break;
        }
    if (index < 0)
        return;
    const QMetaProperty p = mo->property(index);
    const Kind kind = KindOf(p);
    // Nested objects are filled in place, so they need only be readable.
    if (kind == Kind::Object ? !p.isReadable() : !p.isWritable())
        return;

    const QString name = QLatin1String(p.name());
    bool skip = false;
    if (OnPropertyLoading)
        OnPropertyLoading(this, object, objectName, name, propNode, skip);
    if (skip)
        return;

    const QString type = Attr(propNode, "type");
    if (SameText(type, QLatin1String("Object")) && kind == Kind::Object) {
        if (QObject *held = HeldObject(object, p))
            if (xmlNodePtr node = FindClass(propNode, TPersistent::BareClassName(held), name))
                LoadClass(held, name, node);
        return;
    }
    const QString text = Content(propNode);
    if (text.isEmpty() && !SameText(type, QLatin1String("Object")))
        return;
    // Links to components are not used by this system's classes.
    if (SameText(type, QLatin1String("ObjectLink")))
        return;

    try {
        if (SameText(type, QLatin1String("Object"))) {
            throw EVariantError(QStringLiteral("Property %1 holds no object").arg(name));
        } else if (SameText(type, QLatin1String("Enumeration"))) {
            QVariant value;
            if (kind == Kind::Enumeration)
                value = QVariant(EnumValueOf(p.enumerator(), text));
            else if (kind == Kind::Boolean)
                value = QVariant(BoolValueOf(text));
            else
                throw EVariantError(QStringLiteral("Property %1 is no enumeration").arg(name));
            if (!p.write(object, value))
                throw EVariantError(QStringLiteral("Cannot write property %1").arg(name));
        } else if (SameText(type, QLatin1String("OleStr"))) {
            AssignVariant(object, p, Variant::OleStr(text));
        } else {
            const int code = VarTypeFromName(type);
            AssignVariant(object, p, XMLTextToVariant(text, code, m_settings->XSNormalization()));
        }
    } catch (const Exception &e) {
        if (m_storageOptions & soIgnoreSetPropertyError)
            return;
        bool handled = false;
        if (OnSetPropertyError)
            OnSetPropertyError(this, name, propNode, e, handled);
        if (!handled)
            throw EXSSetPropertyException();
    }
}

void TXMLSerializer::LoadSpecial(QObject *object, xmlNodePtr classNode)
{
    if (m_specialClasses & scTCollection) {
        if (auto *collection = qobject_cast<TObjectCollection *>(object)) {
            xmlNodePtr data = ChildElement(classNode, "customdata");
            if (!data)
                return;
            if (m_storageOptions & soRecreateCollectionItems) {
                int wanted = 0;
                for (xmlNodePtr c = data->children; c; c = c->next)
                    if (c->type == XML_ELEMENT_NODE)
                        ++wanted;
                while (collection->Count() < wanted)
                    collection->Add();
                while (collection->Count() > wanted)
                    collection->Delete(0);
            }
            for (int i = 0; i < collection->Count(); ++i) {
                QObject *item = collection->Item(i);
                const QString itemName = QStringLiteral("Item_%1").arg(i + 1);
                if (xmlNodePtr node = FindClass(data, TPersistent::BareClassName(item), itemName))
                    LoadClass(item, itemName, node);
            }
            return;
        }
    }
    if (m_specialClasses & scTStrings) {
        if (auto *list = qobject_cast<TStringList *>(object)) {
            xmlNodePtr data = ChildElement(classNode, "customdata");
            for (xmlNodePtr c = ChildElement(data, "property"); c; c = c->next)
                if (IsElement(c, "property") && SameText(Attr(c, "name"), QLatin1String("Text"))) {
                    list->SetText(Content(c));
                    break;
                }
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Saving

xmlNodePtr TXMLSerializer::SaveObject(QObject *object, const QString &name, bool clear, xmlNodePtr parentNode)
{
    xmlNodePtr parent = parentNode ? parentNode : xmlDocGetRootElement(GetDocument());
    if (clear) {
        while (xmlNodePtr c = parent->children) {
            xmlUnlinkNode(c);
            xmlFreeNode(c);
        }
    }
    if (!object)
        return nullptr;
    const QString effective = EffectiveName(object, name);
    if (effective.isEmpty())
        return nullptr;
    return SaveClass(object, effective, parent);
}

xmlNodePtr TXMLSerializer::SaveClass(QObject *object, const QString &name, xmlNodePtr parent)
{
    bool skip = false;
    if (OnObjectSaving)
        OnObjectSaving(this, object, name, nullptr, skip);
    if (skip)
        return nullptr;

    m_saving.append(object);
    auto pop = qScopeGuard([this] { m_saving.removeLast(); });

    xmlNodePtr node = AddElement(parent, "class");
    AddAttr(node, "classname", TPersistent::BareClassName(object));
    AddAttr(node, "name", name);

    const QMetaObject *mo = object->metaObject();
    QList<int> indexes;
    for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
        indexes.append(i);
    if ((m_storageOptions & soSortProperties) && indexes.size() > 1)
        std::stable_sort(indexes.begin(), indexes.end(), [mo](int a, int b) {
            return QString::fromLatin1(mo->property(a).name())
                       .compare(QString::fromLatin1(mo->property(b).name()), Qt::CaseInsensitive)
                < 0;
        });
    if (!indexes.isEmpty()) {
        xmlNodePtr properties = AddElement(node, "properties");
        for (int i : indexes)
            SaveProperty(object, name, i, properties);
    }
    SaveSpecial(object, node);
    if (OnObjectSave)
        OnObjectSave(this, object, name, node);
    return node;
}

void TXMLSerializer::SaveProperty(QObject *object, const QString &objectName, int propertyIndex, xmlNodePtr propertiesNode)
{
    const QMetaProperty p = object->metaObject()->property(propertyIndex);
    const Kind kind = KindOf(p);
    if (kind == Kind::Unsupported || !p.isReadable() || !p.isStored())
        return;
    const QString name = QLatin1String(p.name());
    bool skip = false;
    if (OnPropertySaving)
        OnPropertySaving(this, object, objectName, name, skip);
    if (skip)
        return;

    const QVariant value = p.read(object);
    QString type;
    QString text;
    switch (kind) {
    case Kind::Boolean: {
        const bool b = value.toBool();
        const Variant def(DeclaredDefault(object, p.name()));
        if (def.convertTo(varBoolean) == Variant(b))
            return;
        type = QStringLiteral("Enumeration");
        text = b ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case Kind::Enumeration: {
        const int v = value.toInt();
        if (v == DeclaredDefault(object, p.name()))
            return;
        type = QStringLiteral("Enumeration");
        const char *key = p.enumerator().valueToKey(v);
        text = key ? QString::fromLatin1(key) : QString::number(v);
        break;
    }
    case Kind::Object: {
        QObject *held = value.value<QObject *>();
        if (!qobject_cast<TPersistent *>(held) || m_saving.contains(held))
            return;
        xmlNodePtr propNode = AddElement(propertiesNode, "property");
        AddAttr(propNode, "name", name);
        AddAttr(propNode, "type", QStringLiteral("Object"));
        AddAttr(propNode, "class", TPersistent::BareClassName(held));
        SaveClass(held, name, propNode);
        return;
    }
    case Kind::String:
        type = HasClassInfo(object, QStringLiteral("olestr:") + name) ? QStringLiteral("OleStr") : QStringLiteral("String");
        text = value.toString();
        break;
    case Kind::Integer: {
        const qint64 v = ReadIntegral(p, value);
        type = v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max() ? QStringLiteral("Integer")
                                                                                                  : VarTypeName(RangeCode(p));
        text = QString::number(v);
        break;
    }
    case Kind::Int64:
        type = QStringLiteral("Int64");
        text = QString::number(ReadIntegral(p, value));
        break;
    case Kind::Double:
        type = QStringLiteral("Double");
        text = VariantToXMLText(Variant(value.toDouble()), m_settings->XSNormalization());
        break;
    case Kind::Variant: {
        const Variant v = value.value<Variant>();
        type = VarTypeName(v.type());
        text = VariantToXMLText(v, m_settings->XSNormalization());
        break;
    }
    case Kind::Unsupported: return;
    }
    xmlNodePtr propNode = AddElement(propertiesNode, "property");
    AddAttr(propNode, "name", name);
    AddAttr(propNode, "type", type);
    AddText(propNode, text);
}

void TXMLSerializer::SaveSpecial(QObject *object, xmlNodePtr classNode)
{
    if (m_specialClasses & scTCollection) {
        if (auto *collection = qobject_cast<TObjectCollection *>(object)) {
            xmlNodePtr data = AddElement(classNode, "customdata");
            for (int i = 0; i < collection->Count(); ++i)
                SaveClass(collection->Item(i), QStringLiteral("Item_%1").arg(i + 1), data);
            return;
        }
    }
    if (m_specialClasses & scTStrings) {
        if (auto *list = qobject_cast<TStringList *>(object)) {
            xmlNodePtr data = AddElement(classNode, "customdata");
            xmlNodePtr prop = AddElement(data, "property");
            AddAttr(prop, "name", QStringLiteral("Text"));
            AddAttr(prop, "type", QStringLiteral("String"));
            AddText(prop, list->Text());
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Texts of values

QString XMLFloatToStr(double value)
{
    return FloatToText(value);
}

double XMLStrToFloat(const QString &text)
{
    bool ok = false;
    const double v = TextToFloat(text, &ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

int LocalTimeZoneBias(TDateTime at)
{
    const QDateTime local = ToQDateTime(at);
    if (!local.isValid())
        return 0;
    return -local.offsetFromUtc() / 60;
}

QString DateTimeToXMLTime(TDateTime t, bool withZone)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    QString text = QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d.%03d", y, mo, d, h, mi, s, ms);
    const int bias = withZone ? LocalTimeZoneBias(t) : 0;
    if (bias != 0)
        text += QString::asprintf("%s%.2d:%.2d", bias < 0 ? "+" : "-", std::abs(bias) / 60, std::abs(bias) % 60);
    else
        text += QLatin1Char('Z');
    return text;
}

TDateTime XMLTimeToDateTime(const QString &text)
{
    const qsizetype tPos = text.indexOf(QLatin1Char('T'));
    QString datePart = tPos < 0 ? text : text.left(tPos);
    const QString timePart = tPos < 0 ? QStringLiteral("00:00:00") : text.mid(tPos + 1);

    int year = -1, month = -1, day = -1;
    if (!datePart.isEmpty()) {
        QString date = datePart;
        if (date.startsWith(QLatin1Char('-')))
            date.remove(0, 1);
        year = Number(date.mid(0, 4));
        month = Number(date.mid(5, 2));
        day = Number(date.mid(8, 2));
    }

    const auto timeError = [&] { return EXSDateTimeException(QStringLiteral("'%1' is not a valid time").arg(timePart)); };
    if (timePart.size() < 8)
        throw timeError();
    const int hour = Number(timePart.mid(0, 2));
    const int minute = Number(timePart.mid(3, 2));
    const int second = Number(timePart.mid(6, 2));
    int msec = 0;
    bool hasZone = false;
    int zoneMinutes = 0;
    if (timePart.size() > 8 && timePart.at(8) == QLatin1Char('.')) {
        if (timePart.size() < 10 || !timePart.at(9).isDigit())
            throw timeError();
        qsizetype end = 9;
        while (end < timePart.size() && timePart.at(end) >= QLatin1Char('0') && timePart.at(end) <= QLatin1Char('9'))
            ++end;
        msec = Number(timePart.mid(9, end - 9));
        if (msec < 0)
            msec = 1000; // too many digits: no valid millisecond value
        if (end < timePart.size() && (timePart.at(end) == QLatin1Char('+') || timePart.at(end) == QLatin1Char('-'))) {
            const int zh = Number(timePart.mid(end + 1, 2));
            const int zm = Number(timePart.mid(end + 4, 2));
            if (zh < 0 || zm < 0)
                throw timeError();
            zoneMinutes = (zh * 60 + zm) * (timePart.at(end) == QLatin1Char('-') ? -1 : 1);
            hasZone = true;
        }
    }

    if (year < 0 || month < 0 || day < 0) {
        if (minute >= 0 && second >= 0 && msec >= 0)
            throw EXSDateTimeException(QStringLiteral("'%1' is not a valid date").arg(datePart));
        throw EXSDateTimeException(
            QStringLiteral("'%1' is not a valid date and time").arg(datePart + QLatin1Char(' ') + timePart));
    }
    if (minute < 0 || second < 0)
        throw timeError();

    const TDateTime value = EncodeDate(year, month, day) + EncodeTime(hour, minute, second, msec);
    if (!hasZone)
        return value;
    // The offset's wall time to UTC, then to local time by the zone rules at that instant.
    const QDateTime utc =
        QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC).addSecs(-qint64(zoneMinutes) * 60);
    return FromQDateTime(utc.toLocalTime());
}

QString VariantToXMLText(const Variant &value, bool normalize)
{
    if (value.isNull() || value.isEmpty())
        return QString();
    if (normalize) {
        switch (value.type()) {
        case varDouble:
        case varCurrency: return XMLFloatToStr(value.toDouble());
        case varDate: return DateTimeToXMLTime(value.toDouble(), true);
        default: break;
        }
    }
    return value.toString();
}

Variant XMLTextToVariant(const QString &text, int code, bool normalize)
{
    if (normalize) {
        switch (code) {
        case varDouble: return Variant(XMLStrToFloat(text));
        case varCurrency: return Variant::Currency(XMLStrToFloat(text));
        case varDate: return Variant::Date(XMLTimeToDateTime(text));
        default: break;
        }
    }
    return Variant(text).convertTo(code);
}

} // namespace pelk
