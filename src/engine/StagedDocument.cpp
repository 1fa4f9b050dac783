#include "StagedDocument.h"

namespace pelk {

void TStagedDocument::Set(xmlDocPtr tree, Writer writer)
{
    m_tree.reset(tree);
    m_writer = std::move(writer);
}

bool TStagedDocument::Bytes(QByteArray &bytes, QString *error) const
{
    if (m_tree && m_writer)
        return m_writer(m_tree.get(), bytes, error);
    if (error)
        *error = QStringLiteral("no document");
    return false;
}

} // namespace pelk
