#include "Transformation.h"

#include "StagedDocument.h"

#include "app/Guarded.h"
#include "app/Log.h"
#include "config/AtomicFile.h"
#include "config/XmlParserContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <libxml/parser.h>
#include <libxslt/imports.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>
#include <memory>
#include <mutex>

namespace pelk {

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
// A staged file is read without the blank text nodes of its indentation: the stylesheet sees
// the tree the element had in memory when it was transformed in one go.
constexpr int kStagedParseOptions = kParseOptions | XML_PARSE_NOBLANKS;

// Stylesheet and transformation errors end in false; their text is not printed.
void SilentXsltError(void *, const char *, ...) {}

void EnsureQuietXslt()
{
    static std::once_flag once;
    std::call_once(once, [] { xsltSetGenericErrorFunc(nullptr, SilentXsltError); });
}

using StylePtr = std::shared_ptr<xsltStylesheet>;

// Whether the stylesheet (or one it imports) strips white space: the transformation then
// deletes text nodes of its source tree.
bool StripsSpace(xsltStylesheetPtr style)
{
    for (xsltStylesheetPtr s = style; s; s = xsltNextImport(s))
        if (s->stripSpaces || s->stripAll == 1)
            return true;
    return false;
}

// Whether the result tree is written as one XML document: XML output and exactly one element
// at the top, with nothing but white space beside it.
bool IsXmlDocument(xmlDocPtr result, xsltStylesheetPtr style)
{
    if (style->method && !xmlStrEqual(style->method, BAD_CAST "xml"))
        return false;
    int elements = 0;
    for (xmlNodePtr n = result->children; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE)
            ++elements;
        else if (n->type == XML_TEXT_NODE && !xmlIsBlankNode(n))
            return false;
    }
    return elements == 1;
}

// The result tree as a file holds it, after an XML declaration; false with the reason when it
// cannot be written out.
bool ResultBytes(xmlDocPtr result, xsltStylesheetPtr style, QByteArray &bytes, QString *error)
{
    xmlChar *text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, result, style) != 0) {
        if (error)
            *error = QStringLiteral("the result of the stylesheet cannot be written out");
        return false;
    }
    bytes = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    if (text) {
        bytes.append(reinterpret_cast<const char *>(text), length);
        xmlFree(text);
    }
    return true;
}

} // namespace

QString JoinFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

// ---------------------------------------------------------------------------------------------

TStylesheetCache::~TStylesheetCache() = default;

xsltStylesheetPtr TStylesheetCache::Compile(const QString &path)
{
    EnsureQuietXslt();
    const QByteArray file = QFile::encodeName(path);
    xmlDocPtr doc = xmlReadFile(file.constData(), nullptr, kParseOptions);
    if (!doc)
        return nullptr;
    xsltStylesheetPtr style = xsltParseStylesheetDoc(doc); // owns doc on success
    if (!style) {
        xmlFreeDoc(doc);
        return nullptr;
    }
    // The result is taken as text and given the UTF-8 declaration in front, whatever the
    // stylesheet's output settings say.
    xmlFree(const_cast<xmlChar *>(style->encoding));
    style->encoding = xmlStrdup(BAD_CAST "UTF-8");
    style->omitXmlDeclaration = 1;
    return style;
}

void TStylesheetCache::Free(xsltStylesheetPtr style)
{
    if (style)
        xsltFreeStylesheet(style);
}

StylePtr TStylesheetCache::Share(const QString &path)
{
    const QFileInfo info(path);
    const QDateTime modified = info.lastModified();
    const qint64 size = info.size();
    auto it = m_entries.find(path);
    if (it != m_entries.end()) {
        if (it->modified == modified && it->size == size)
            return it->style;
        m_entries.erase(it);
    }
    StylePtr style(Compile(path), Free);
    ++m_compilations;
    if (style)
        m_entries.insert(path, Entry{modified, size, style});
    return style;
}

// ---------------------------------------------------------------------------------------------

TTransformationObject::TTransformationObject(TLog &log, const QString &workFolder, const QString &xslFolder,
                                             TStylesheetCache *cache)
    : m_log(log), m_work(workFolder), m_xsl(xslFolder), m_cache(cache)
{}

bool TTransformationObject::Transform()
{
    // Errors of loading, transforming and saving end in false without a message of their own.
    return Guarded(nullptr, PELK_HERE, [this] { return Run(); });
}

namespace {

// The staged file, read without blank text as the stages build their trees; null on failure
// (a missing file logged).
XmlDocPtr ReadStagedFile(TLog &log, const QString &input)
{
    if (!QFileInfo(input).isFile()) {
        log.Error(1, QStringLiteral(" Brak pliku do transformacj: \r\n      %1").arg(input));
        return nullptr;
    }
    thread_local XmlParserContext parser;
    if (!parser.Get())
        return nullptr;
    return XmlDocPtr(xmlCtxtReadFile(parser.Get(), QFile::encodeName(input).constData(), nullptr, kStagedParseOptions));
}

// The stylesheet, shared through the cache when there is one; null on failure (a missing file
// logged).
StylePtr LoadStylesheet(TLog &log, const QString &stylesheet, TStylesheetCache *cache)
{
    if (!QFileInfo(stylesheet).isFile()) {
        log.Error(1, QStringLiteral(" Brak pliku transformacyjnego: \r\n      %1").arg(stylesheet));
        return nullptr;
    }
    return cache ? cache->Share(stylesheet) : StylePtr(TStylesheetCache::Compile(stylesheet), TStylesheetCache::Free);
}

} // namespace

bool TTransformationObject::Run()
{
    XmlDocPtr read;
    if (!Input) {
        read = ReadStagedFile(m_log, JoinFolder(m_work, InputName));
        if (!read)
            return false;
    }
    const StylePtr style = LoadStylesheet(m_log, JoinFolder(m_xsl, StylesheetName), m_cache);
    if (!style)
        return false;

    // A tree given in memory stays as it is: it is the stage's document until the result
    // replaces it, and a stylesheet that strips white space would delete text of its values.
    xmlDocPtr source = read.get();
    if (Input && StripsSpace(style.get())) {
        read.reset(xmlCopyDoc(Input, 1));
        if (!read)
            return false;
        source = read.get();
    } else if (Input) {
        source = Input;
    }

    XmlDocPtr result(xsltApplyStylesheet(style.get(), source, nullptr));
    if (!result)
        return false;

    const QString output = JoinFolder(m_work, OutputName);
    if (!Output && QFileInfo::exists(output)) {
        m_log.Error(1,
                    QStringLiteral(" W katalogu roboczym znajduje się plik: \r\n      %1\r\n"
                                   "      Proces transformacji został przerwany")
                        .arg(output));
        return false;
    }
    // A result that is no XML document is refused rather than staged for a load that fails.
    if (!IsXmlDocument(result.get(), style.get()))
        return false;

    if (Output) {
        // Written out, if ever, as a file of the transformation would be: the stylesheet's
        // output settings stay with the tree.
        Output->Set(result.release(), [style](xmlDocPtr tree, QByteArray &bytes, QString *error) {
            return ResultBytes(tree, style.get(), bytes, error);
        });
        return true;
    }
    QByteArray bytes;
    return ResultBytes(result.get(), style.get(), bytes, nullptr)
        && WriteFileAtomically(output, bytes, Overwrite::Refuse, nullptr);
}

} // namespace pelk
