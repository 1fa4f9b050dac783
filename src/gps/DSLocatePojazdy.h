#pragma once
// The vehicles the GPS server reports: filled by the response decoder, read by the GPS queue.
// Never stored in a file.
#include "config/ObjectCollection.h"

#include <QHash>
#include <mutex>
#include <optional>

namespace pelk {

class TDSLocatePojazd : public TObjectCollectionItem
{
    Q_OBJECT
    Q_PROPERTY(QString NrPojazdu MEMBER NrPojazdu)
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
    Q_PROPERTY(QString Typ MEMBER Typ)
    Q_PROPERTY(QString Opis MEMBER Opis)
public:
    Q_INVOKABLE explicit TDSLocatePojazd(pelk::TObjectCollection *collection);

    QString NrPojazdu; // the server's identifier, sent in archive requests
    QString Nazwa;     // the registration number, as the settings and the GIS database know it
    QString Typ;
    QString Opis;
};

// One vehicle as a value, copied out of the list under its lock.
struct RPojazd
{
    QString NrPojazdu, Nazwa, Typ, Opis;
};

class TDSLocatePojazdy : public TObjectCollection
{
    Q_OBJECT
public:
    // The most vehicles the server may list: far above any fleet one account tracks, so a
    // server that repeats or invents vehicles cannot grow the list without end.
    static constexpr int kMaxPojazdow = 10000;

    explicit TDSLocatePojazdy(QObject *parent = nullptr);

    // The collection's own operations work on the items in place: for one thread, or while
    // no other thread can change the list. A vehicle's NrPojazdu is set when it is added and
    // not changed afterwards (it is the key of the look-up by identifier).
    // Appends a vehicle with every property empty.
    TDSLocatePojazd *AddPojazd();
    TDSLocatePojazd *Items(int i) const { return ItemAs<TDSLocatePojazd>(i); }
    // The first vehicle whose NrPojazdu / Nazwa equals the text exactly (case-sensitive); null
    // when none does. The identifier is looked up in an index, not by a pass over the list.
    TDSLocatePojazd *FindByNrPojazdu(const QString &nr) const;
    TDSLocatePojazd *FindByNazwa(const QString &name) const;

    // Shared between the decoder's thread, which writes, and the main thread, which reads:
    // each of these takes the list's lock and hands out copies.
    // Appends a vehicle known only by its identifier, unless it is listed already; false when
    // it is new and the list holds kMaxPojazdow vehicles (nothing appended).
    bool AppendNrPojazdu(const QString &nr);
    // Names, types and describes the listed vehicle with the identifier; nothing when none is.
    void UpdateListed(const QString &nr, const QString &nazwa, const QString &typ, const QString &opis);
    // Names and types the vehicle with the identifier, appending it when it is not listed;
    // false when it is new and the list is full (nothing appended).
    bool UpdateOrAppend(const QString &nr, const QString &nazwa, const QString &typ);
    std::optional<RPojazd> CopyByNrPojazdu(const QString &nr) const;
    std::optional<RPojazd> CopyByNazwa(const QString &name) const;
    int LockedCount() const;
    void LockedClear();

private:
    static RPojazd Copy(const TDSLocatePojazd &p);
    // The vehicle with the identifier appended when it is not listed and the list has room;
    // null when it is full.
    TDSLocatePojazd *FindOrAppend(const QString &nr);

    mutable std::mutex m_mutex;
    // NrPojazdu to position of its first vehicle; brought up to date when the list's size
    // has changed since it was built.
    mutable QHash<QString, int> m_indeks;
    mutable int m_zindeksowane = 0;
};

} // namespace pelk
