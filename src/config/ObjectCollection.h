#pragma once
// Collections that own their items and recreate them by item class.
#include "Persistent.h"

#include <QStringList>
#include <QVector>

namespace pelk {

class TObjectCollection;

class TObjectCollectionItem : public TPersistent
{
    Q_OBJECT
public:
    // Every item class declares this constructor Q_INVOKABLE so that loading can recreate it.
    Q_INVOKABLE explicit TObjectCollectionItem(pelk::TObjectCollection *collection);
    TObjectCollection *Collection() const { return m_collection; }

private:
    TObjectCollection *m_collection;
};

class TObjectCollection : public TPersistent
{
    Q_OBJECT
public:
    TObjectCollection(const QMetaObject &itemClass, QObject *parent = nullptr);
    ~TObjectCollection() override;

    TObjectCollectionItem *Add();
    int Count() const { return int(m_items.size()); }
    TObjectCollectionItem *Item(int index) const { return m_items.at(index); }
    void Delete(int index);
    void Clear();

    template <class T>
    T *ItemAs(int index) const
    {
        return static_cast<T *>(Item(index));
    }

private:
    const QMetaObject &m_itemClass;
    QVector<TObjectCollectionItem *> m_items;
};

// A list of text lines stored as one text (every line followed by CR LF).
class TStringList : public TPersistent
{
    Q_OBJECT
public:
    using TPersistent::TPersistent;
    QStringList Lines;
    QString Text() const;
    void SetText(const QString &text);
};

} // namespace pelk
