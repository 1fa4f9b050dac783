#pragma once
// Object files: the published properties of persistent objects as an XML document
// (root "classes", one "class" element per object) and back.
#include "Errors.h"
#include "Persistent.h"

#include <QString>
#include <functional>
#include <libxml/tree.h>

namespace pelk {

// Set members, as bits.
enum TxsSpecialClassTypes : int { scTStrings = 1, scTCollection = 2, scTBitmap = 4 };
using TxsSpecialClassType = int;
enum TxsStorageOptionTypes : int {
    soIncludeObjectLinks = 1,
    soSortProperties = 2,
    soIgnoreSetPropertyError = 4,
    soRecreateCollectionItems = 8
};
using TxsStorageOptionType = int;

// A loaded property value could not be set (and the error was neither ignored nor handled).
class EXSSetPropertyException : public Exception
{
public:
    EXSSetPropertyException() : Exception(QStringLiteral("XML Serializer. Cannot set property value")) {}
};

// The document text is not well-formed XML: "<reason> (line <n>, column <n>): <source text>",
// the source text being the first 40 characters of the offending line.
class EXMLParseError : public Exception
{
public:
    EXMLParseError(const QString &reason, int line, int column, const QString &sourceText);
};

class TXMLSerializer;

// Declaration and formatting of a serializer's document.
class TxsXMLSettings : public TPersistent
{
    Q_OBJECT
public:
    enum TxsStandaloneType { No, Yes };
    Q_ENUM(TxsStandaloneType)

private:
    Q_PROPERTY(QString Encoding READ Encoding WRITE SetEncoding)
    Q_PROPERTY(TxsStandaloneType Standalone READ Standalone WRITE SetStandalone)
    Q_PROPERTY(bool XSNormalization READ XSNormalization WRITE SetXSNormalization)
    Q_PROPERTY(bool WellFormated READ WellFormated WRITE SetWellFormated)
    Q_CLASSINFO("default:XSNormalization", "1")
    Q_CLASSINFO("default:WellFormated", "0")

public:
    // Encoding and Standalone live in the serializer's document (when there is one).
    explicit TxsXMLSettings(TXMLSerializer *serializer = nullptr);

    QString Encoding() const;
    void SetEncoding(const QString &value);
    TxsStandaloneType Standalone() const;
    void SetStandalone(TxsStandaloneType value);
    // Floats and dates in locale-independent form.
    bool XSNormalization() const { return m_normalization; }
    void SetXSNormalization(bool value) { m_normalization = value; }
    // Saved documents are indented: CR LF and two spaces per nesting level.
    bool WellFormated() const { return m_wellFormated; }
    void SetWellFormated(bool value) { m_wellFormated = value; }

    void Assign(const TPersistent *source) override;

private:
    TXMLSerializer *m_serializer;
    QString m_encoding = QStringLiteral("ISO-8859-1");
    TxsStandaloneType m_standalone = Yes;
    bool m_normalization = true;
    bool m_wellFormated = false;
};

class TXMLSerializer : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(int SpecialClasses READ SpecialClasses WRITE SetSpecialClasses)
    Q_PROPERTY(int StorageOptions READ StorageOptions WRITE SetStorageOptions)
    Q_PROPERTY(pelk::TxsXMLSettings *XMLSettings READ XMLSettings)

public:
    explicit TXMLSerializer(QObject *owner = nullptr);
    ~TXMLSerializer() override;

    // A serializer as every file of the system is read and written with: UTF-8, indented,
    // properties in declaration order, collections recreated, set-property errors abort.
    static TXMLSerializer *CreateSystemSerializer(QObject *owner);

    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &value) { m_fileName = value; }
    TxsSpecialClassType SpecialClasses() const { return m_specialClasses; }
    void SetSpecialClasses(TxsSpecialClassType value) { m_specialClasses = value; }
    TxsStorageOptionType StorageOptions() const { return m_storageOptions; }
    void SetStorageOptions(TxsStorageOptionType value) { m_storageOptions = value; }
    TxsXMLSettings *XMLSettings() const { return m_settings; }

    void Assign(const TPersistent *source) override;

    // Reads the file (empty name: FileName) into the document. A missing or unreadable file
    // gives false with the reason in *error ("file missing", the system's "Permission
    // denied", ...) and keeps the document; text that is no XML throws EXMLParseError.
    bool LoadDocument(const QString &fileName = {}, QString *error = nullptr);
    // Writes the document to the file (empty name: FileName), replacing it atomically.
    // Never throws; any failure gives false with the reason in *error (disk full, folder
    // missing, permission).
    bool SaveDocument(const QString &fileName = {}, QString *error = nullptr);
    // The same without a file: the document from / as the bytes a file would hold.
    bool LoadDocumentFromBytes(const QByteArray &text, QString *error = nullptr);
    bool SaveDocumentToBytes(QByteArray &bytes, QString *error = nullptr);
    // The bytes a file of the document holds, in the document's encoding, indented when
    // `indented` is set (as WellFormated). Never throws.
    static bool DocumentBytes(xmlDocPtr doc, bool indented, QByteArray &bytes, QString *error = nullptr);
    // Hands the document over to the caller (free it with xmlFreeDoc); the serializer has none
    // afterwards.
    xmlDocPtr TakeDocument();

    // Fills the object from the first matching "class" element under parentNode (default:
    // the root); returns that element or nullptr.
    xmlNodePtr LoadObject(QObject *object, const QString &name, xmlNodePtr parentNode = nullptr);
    // Appends the object as a "class" element under parentNode (default: the root), first
    // removing all its children when clear is set; returns the element or nullptr.
    xmlNodePtr SaveObject(QObject *object, const QString &name, bool clear = false, xmlNodePtr parentNode = nullptr);

    // The document, created on first use.
    xmlDocPtr GetDocument();

    // Hooks. Node is the "class" element (nullptr in OnObjectSaving) or the "property" element.
    std::function<void(TXMLSerializer *sender)> OnXMLLoad;
    std::function<void(TXMLSerializer *sender)> OnXMLSave;
    std::function<void(TXMLSerializer *sender, QObject *object, const QString &objectName, xmlNodePtr node)> OnObjectSave;
    std::function<void(TXMLSerializer *sender, QObject *object, const QString &objectName, xmlNodePtr node, bool &skipObject)>
        OnObjectSaving;
    std::function<void(TXMLSerializer *sender, QObject *object, const QString &objectName, xmlNodePtr node)> OnObjectLoad;
    std::function<void(TXMLSerializer *sender, QObject *object, const QString &objectName, xmlNodePtr node, bool &skipObject)>
        OnObjectLoading;
    std::function<void(TXMLSerializer *sender, const QString &propertyName, xmlNodePtr node, const Exception &e, bool &handled)>
        OnSetPropertyError;
    std::function<void(TXMLSerializer *sender, QObject *property, const QString &objectName, const QString &propertyName,
                       xmlNodePtr node, bool &skipProperty)>
        OnPropertyLoading;
    std::function<void(TXMLSerializer *sender, QObject *property, const QString &objectName, const QString &propertyName,
                       bool &skipProperty)>
        OnPropertySaving;

private:
    void LoadClass(QObject *object, const QString &name, xmlNodePtr node);
    void LoadProperty(QObject *object, const QString &objectName, xmlNodePtr propNode);
    void LoadSpecial(QObject *object, xmlNodePtr classNode);
    xmlNodePtr SaveClass(QObject *object, const QString &name, xmlNodePtr parent);
    void SaveProperty(QObject *object, const QString &objectName, int propertyIndex, xmlNodePtr propertiesNode);
    void SaveSpecial(QObject *object, xmlNodePtr classNode);
    xmlNodePtr FindClass(xmlNodePtr parent, const QString &className, const QString &name) const;

    QString m_fileName;
    TxsSpecialClassType m_specialClasses = 0;
    TxsStorageOptionType m_storageOptions = soSortProperties;
    TxsXMLSettings *m_settings;
    xmlDocPtr m_doc = nullptr;
    QList<const QObject *> m_saving; // objects being saved, outermost first (cycle guard)
};

} // namespace pelk
