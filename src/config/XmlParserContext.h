#pragma once
// A libxml2 parser kept by the calling thread for the documents it reads at one place of the
// code: a new parser costs a new dictionary, about as much as reading a small document. Each
// place keeps its own (thread_local), since the options of a read stay with its parser.
#include <libxml/parser.h>

namespace pelk {

class XmlParserContext
{
public:
    XmlParserContext() : m_ctxt(xmlNewParserCtxt()) {}
    ~XmlParserContext()
    {
        if (m_ctxt)
            xmlFreeParserCtxt(m_ctxt);
    }
    XmlParserContext(const XmlParserContext &) = delete;
    XmlParserContext &operator=(const XmlParserContext &) = delete;

    // Null when libxml2 could not create it. xmlCtxtRead* reset it before each document.
    xmlParserCtxtPtr Get() const { return m_ctxt; }

private:
    xmlParserCtxtPtr m_ctxt;
};

} // namespace pelk
