#include "XMLSerializer.h"

#include "AtomicFile.h"

#include "Common.h"
#include "ObjectCollection.h"
#include "XmlNodes.h"
#include "XmlParserContext.h"
#include "XmlValues.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMetaProperty>
#include <QScopeGuard>
#include <algorithm>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <limits>

namespace pelk {

using namespace xml;

namespace {

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

// The index of the class's property of that name (case-insensitive), -1 when there is none.
int PropertyIndex(const QMetaObject *mo, const QString &name)
{
    if (name.isEmpty())
        return -1;
    const QList<QLatin1String> &names = PropertyNames(mo);
    for (int i = 0; i < names.size(); ++i)
        if (SameText(names[i], name))
            return QObject::staticMetaObject.propertyCount() + i;
    return -1;
}

QString EffectiveName(const QObject *object, const QString &name)
{
    return name.isEmpty() ? object->objectName() : name;
}

QObject *HeldObject(QObject *object, const QMetaProperty &p)
{
    return p.read(object).value<QObject *>();
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
    return DocumentBytes(GetDocument(), m_settings->WellFormated(), bytes, error);
}

bool TXMLSerializer::DocumentBytes(xmlDocPtr doc, bool indented, QByteArray &bytes, QString *error)
{
    try {
        if (!doc)
            return Failed(error, QStringLiteral("no document"));
        const QString encoding = FromXml(doc->encoding);
        const QByteArray enc = encoding.toUtf8();
        if (!encoding.isEmpty()) {
            xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(enc.constData());
            if (!handler)
                return Failed(error, QStringLiteral("unknown encoding %1").arg(encoding));
            xmlCharEncCloseFunc(handler);
        }
        xmlChar *mem = nullptr;
        int size = 0;
        xmlDocDumpFormatMemoryEnc(doc, &mem, &size, encoding.isEmpty() ? nullptr : enc.constData(), indented ? 1 : 0);
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

xmlDocPtr TXMLSerializer::TakeDocument()
{
    xmlDocPtr doc = GetDocument();
    m_doc = nullptr;
    return doc;
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
    const int index = PropertyIndex(object->metaObject(), Attr(propNode, "name"));
    if (index < 0)
        return;
    const QMetaProperty p = object->metaObject()->property(index);
    const PropertyKind kind = KindOf(p);
    // Nested objects are filled in place, so they need only be readable.
    if (kind == PropertyKind::Object ? !p.isReadable() : !p.isWritable())
        return;

    const QString name = QLatin1String(p.name());
    bool skip = false;
    if (OnPropertyLoading)
        OnPropertyLoading(this, object, objectName, name, propNode, skip);
    if (skip)
        return;

    const QString type = Attr(propNode, "type");
    if (SameText(type, QLatin1String("Object")) && kind == PropertyKind::Object) {
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
        PropertyFromText(object, p, type, text, m_settings->XSNormalization());
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
    const PropertyKind kind = KindOf(p);
    if (kind == PropertyKind::Unsupported || !p.isReadable() || !p.isStored())
        return;
    const QString name = QLatin1String(p.name());
    bool skip = false;
    if (OnPropertySaving)
        OnPropertySaving(this, object, objectName, name, skip);
    if (skip)
        return;

    if (kind == PropertyKind::Object) {
        QObject *held = HeldObject(object, p);
        if (!qobject_cast<TPersistent *>(held) || m_saving.contains(held))
            return;
        xmlNodePtr propNode = AddElement(propertiesNode, "property");
        AddAttr(propNode, "name", name);
        AddAttr(propNode, "type", QStringLiteral("Object"));
        AddAttr(propNode, "class", TPersistent::BareClassName(held));
        SaveClass(held, name, propNode);
        return;
    }
    QString type, text;
    if (!PropertyToText(object, p, m_settings->XSNormalization(), type, text))
        return;
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

} // namespace pelk
