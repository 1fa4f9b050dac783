#pragma once
// The vehicles the GPS server reports: filled by the response decoder, read by the GPS queue.
// Never stored in a file.
#include "config/ObjectCollection.h"

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

class TDSLocatePojazdy : public TObjectCollection
{
    Q_OBJECT
public:
    explicit TDSLocatePojazdy(QObject *parent = nullptr);

    // Appends a vehicle with every property empty. May be called from the decoder's thread.
    TDSLocatePojazd *AddPojazd();
    TDSLocatePojazd *Items(int i) const { return ItemAs<TDSLocatePojazd>(i); }
    // The first vehicle whose NrPojazdu / Nazwa equals the text exactly (case-sensitive); null
    // when none does.
    TDSLocatePojazd *FindByNrPojazdu(const QString &nr) const;
    TDSLocatePojazd *FindByNazwa(const QString &name) const;
};

} // namespace pelk
