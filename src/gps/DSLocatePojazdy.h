#pragma once
// The vehicles the GPS server reports: filled by the response decoder, read by the GPS queue.
// Never stored in a file.
#include "config/ObjectCollection.h"

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
    explicit TDSLocatePojazdy(QObject *parent = nullptr);

    // The collection's own operations work on the items in place: for one thread, or while
    // no other thread can change the list.
    // Appends a vehicle with every property empty.
    TDSLocatePojazd *AddPojazd();
    TDSLocatePojazd *Items(int i) const { return ItemAs<TDSLocatePojazd>(i); }
    // The first vehicle whose NrPojazdu / Nazwa equals the text exactly (case-sensitive); null
    // when none does.
    TDSLocatePojazd *FindByNrPojazdu(const QString &nr) const;
    TDSLocatePojazd *FindByNazwa(const QString &name) const;

    // Shared between the decoder's thread, which writes, and the main thread, which reads:
    // each of these takes the list's lock and hands out copies.
    // Appends a vehicle known only by its identifier.
    void AppendNrPojazdu(const QString &nr);
    // Names, types and describes the listed vehicle with the identifier; nothing when none is.
    void UpdateListed(const QString &nr, const QString &nazwa, const QString &typ, const QString &opis);
    // Names and types the vehicle with the identifier, appending it when it is not listed.
    void UpdateOrAppend(const QString &nr, const QString &nazwa, const QString &typ);
    std::optional<RPojazd> CopyByNrPojazdu(const QString &nr) const;
    std::optional<RPojazd> CopyByNazwa(const QString &name) const;
    int LockedCount() const;
    void LockedClear();

private:
    static RPojazd Copy(const TDSLocatePojazd &p);

    mutable std::mutex m_mutex;
};

} // namespace pelk
