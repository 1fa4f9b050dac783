#include "Transformation.h"

#include "app/Guarded.h"
#include "app/Log.h"
#include "config/AtomicFile.h"
#include "config/XmlParserContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>
#include <memory>
#include <mutex>
#include <optional>

namespace pelk {

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Stylesheet and transformation errors end in false; their text is not printed.
void SilentXsltError(void *, const char *, ...) {}

void EnsureQuietXslt()
{
    static std::once_flag once;
    std::call_once(once, [] { xsltSetGenericErrorFunc(nullptr, SilentXsltError); });
}

struct DocDeleter
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

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

// The result tree as a file holds it, after an XML declaration; nothing when it cannot be
// written out.
std::optional<QByteArray> ResultBytes(xmlDocPtr result, xsltStylesheetPtr style)
{
    xmlChar *text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, result, style) != 0)
        return std::nullopt;
    QByteArray bytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    if (text) {
        bytes.append(reinterpret_cast<const char *>(text), length);
        xmlFree(text);
    }
    return bytes;
}

} // namespace

QString JoinFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

// ---------------------------------------------------------------------------------------------

TStylesheetCache::~TStylesheetCache()
{
    for (const Entry &e : std::as_const(m_entries))
        Free(e.style);
}

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

xsltStylesheetPtr TStylesheetCache::Get(const QString &path)
{
    const QFileInfo info(path);
    const QDateTime modified = info.lastModified();
    const qint64 size = info.size();
    auto it = m_entries.find(path);
    if (it != m_entries.end()) {
        if (it->modified == modified && it->size == size)
            return it->style;
        Free(it->style);
        m_entries.erase(it);
    }
    xsltStylesheetPtr style = Compile(path);
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

bool TTransformationObject::Run()
{
    const QString input = JoinFolder(m_work, InputName);
    if (!Input && !QFileInfo(input).isFile()) {
        m_log.Error(1, QStringLiteral(" Brak pliku do transformacj: \r\n      %1").arg(input));
        return false;
    }
    thread_local XmlParserContext parser;
    if (!parser.Get())
        return false;
    DocPtr source(Input ? xmlCtxtReadMemory(parser.Get(), Input->constData(), int(Input->size()), nullptr, nullptr, kParseOptions)
                        : xmlCtxtReadFile(parser.Get(), QFile::encodeName(input).constData(), nullptr, kParseOptions));
    if (!source)
        return false;

    const QString stylesheet = JoinFolder(m_xsl, StylesheetName);
    if (!QFileInfo(stylesheet).isFile()) {
        m_log.Error(1, QStringLiteral(" Brak pliku transformacyjnego: \r\n      %1").arg(stylesheet));
        return false;
    }
    std::unique_ptr<xsltStylesheet, void (*)(xsltStylesheetPtr)> own(nullptr, TStylesheetCache::Free);
    xsltStylesheetPtr style = nullptr;
    if (m_cache) {
        style = m_cache->Get(stylesheet);
    } else {
        own.reset(TStylesheetCache::Compile(stylesheet));
        style = own.get();
    }
    if (!style)
        return false;

    DocPtr result(xsltApplyStylesheet(style, source.get(), nullptr));
    if (!result)
        return false;
    std::optional<QByteArray> bytes = ResultBytes(result.get(), style);
    if (!bytes)
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
    if (!IsXmlDocument(result.get(), style))
        return false;

    if (Output) {
        *Output = std::move(*bytes);
        return true;
    }
    return WriteFileAtomically(output, *bytes, Overwrite::Refuse, nullptr);
}

} // namespace pelk
