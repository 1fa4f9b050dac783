#pragma once
// A stage's document held in memory as a tree, with the way its staged file is written: the
// list queue hands it from one stage to the next and writes it only when an element stops at it.
#include <QByteArray>
#include <QString>
#include <functional>
#include <libxml/tree.h>
#include <memory>

namespace pelk {

// An owned libxml2 document.
struct FreeXmlDoc
{
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, FreeXmlDoc>;

class TStagedDocument
{
public:
    // Writes the tree as the bytes of its staged file; false with the reason in *error.
    using Writer = std::function<bool(xmlDocPtr tree, QByteArray &bytes, QString *error)>;

    // Takes the tree (freed with this document) and the way its file is written.
    void Set(xmlDocPtr tree, Writer writer);
    // The tree, owned by this document; null when there is none.
    xmlDocPtr Tree() const { return m_tree.get(); }
    // The bytes of the stage's file; false with the reason when there is no tree or it cannot
    // be written.
    bool Bytes(QByteArray &bytes, QString *error) const;

private:
    XmlDocPtr m_tree;
    Writer m_writer;
};

} // namespace pelk
