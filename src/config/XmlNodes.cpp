#include "XmlNodes.h"

#include "Common.h"

#include <algorithm>

namespace pelk::xml {

namespace {

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

} // namespace

QString Attr(xmlNodePtr node, const char *name)
{
    xmlChar *value = xmlGetProp(node, X(name));
    const QString result = FromXml(value);
    xmlFree(value);
    return result;
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

} // namespace pelk::xml
