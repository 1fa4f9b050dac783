#pragma once
// Elements, attributes and texts of a libxml2 document as Qt texts: UTF-8 both ways, element
// names compared without regard to case, characters XML cannot carry left out on writing.
#include <QString>
#include <libxml/tree.h>

namespace pelk::xml {

inline const xmlChar *X(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}
// A libxml2 text (null: a null QString).
inline QString FromXml(const xmlChar *s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char *>(s)) : QString();
}

// The attribute's value; a null QString when the element has none.
QString Attr(xmlNodePtr node, const char *name);
// Adds the attribute to an element that does not have it yet.
void AddAttr(xmlNodePtr node, const char *name, const QString &value);
// The text of the node and its descendants.
QString Content(xmlNodePtr node);
// Whether the node is an element with this name (case-insensitive).
bool IsElement(xmlNodePtr node, const char *tag);
// The first child element with this name; nullptr when there is none (or no parent).
xmlNodePtr ChildElement(xmlNodePtr parent, const char *tag);
// Appends an empty child element.
xmlNodePtr AddElement(xmlNodePtr parent, const char *tag);
// Appends the text to the element; nothing for an empty text.
void AddText(xmlNodePtr node, const QString &text);

} // namespace pelk::xml
