#pragma once
// The published record of a customer or distributor: the properties the source-layout files
// of the kinds "Klient", "Dystrybutor" and "Sprzedaz" share. Each kind fills it from its own
// source.
#include "engine/InterfaceObject.h"

namespace pelk {

class TZamer_KlientDane : public TInterfaceObject
{
    Q_OBJECT
    Q_PROPERTY(pelk::Variant ID MEMBER ID)
    Q_PROPERTY(pelk::Variant EXID MEMBER EXID)
    Q_PROPERTY(QString Nazwa MEMBER Nazwa)
    Q_PROPERTY(QString Miasto MEMBER Miasto)
    Q_PROPERTY(pelk::Variant Kod MEMBER Kod)
    Q_PROPERTY(QString Ulica MEMBER Ulica)
    Q_PROPERTY(pelk::Variant Aktywny MEMBER Aktywny)
    Q_PROPERTY(pelk::Variant DataUtworzenia MEMBER DataUtworzenia)
    Q_PROPERTY(pelk::Variant DataAktualizacji MEMBER DataAktualizacji)
    Q_PROPERTY(pelk::Variant KategoriaABC MEMBER KategoriaABC)
    Q_PROPERTY(pelk::Variant Sektor MEMBER Sektor)
    Q_PROPERTY(pelk::Variant ERPID MEMBER ERPID)
    Q_PROPERTY(pelk::Variant Kategoria MEMBER Kategoria)
    Q_PROPERTY(pelk::Variant OsobaOdpowiedzialna MEMBER OsobaOdpowiedzialna)
    Q_CLASSINFO("olestr:Nazwa", "")
    Q_CLASSINFO("olestr:Miasto", "")
    Q_CLASSINFO("olestr:Ulica", "")
public:
    explicit TZamer_KlientDane(TDM_Main &dm, QObject *parent = nullptr);

    Variant ID, EXID;
    QString Nazwa, Miasto;
    Variant Kod;
    QString Ulica;
    Variant Aktywny, DataUtworzenia, DataAktualizacji, KategoriaABC, Sektor, ERPID, Kategoria, OsobaOdpowiedzialna;
};

} // namespace pelk
