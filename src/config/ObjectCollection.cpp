#include "ObjectCollection.h"

#include "Errors.h"

#include <QRegularExpression>

namespace pelk {

TObjectCollectionItem::TObjectCollectionItem(TObjectCollection *collection) : TPersistent(collection), m_collection(collection) {}

TObjectCollection::TObjectCollection(const QMetaObject &itemClass, QObject *parent) : TPersistent(parent), m_itemClass(itemClass)
{}

TObjectCollection::~TObjectCollection()
{
    Clear();
}

TObjectCollectionItem *TObjectCollection::Add()
{
    // The argument's type named as moc writes it: the constructor is found at the first look-up,
    // without normalising the signature for every item.
    TObjectCollection *self = this;
    QObject *created = m_itemClass.newInstance(QGenericArgument("pelk::TObjectCollection*", &self));
    auto *item = qobject_cast<TObjectCollectionItem *>(created);
    if (!item) {
        delete created;
        throw Exception(
            QStringLiteral("Cannot create collection item of class %1").arg(QString::fromLatin1(m_itemClass.className())));
    }
    m_items.append(item);
    return item;
}

void TObjectCollection::Delete(int index)
{
    delete m_items.takeAt(index);
}

void TObjectCollection::Clear()
{
    qDeleteAll(m_items);
    m_items.clear();
}

QString TStringList::Text() const
{
    QString out;
    for (const QString &line : Lines)
        out += line + QStringLiteral("\r\n");
    return out;
}

void TStringList::SetText(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    Lines = text.split(lineBreak);
    if (!Lines.isEmpty() && Lines.last().isEmpty())
        Lines.removeLast();
}

} // namespace pelk
