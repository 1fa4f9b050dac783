#pragma once
// The CRM record of a customer or distributor: the source-layout file of the kinds
// "Klient" and "Dystrybutor".
#include "engine/InterfaceObject.h"

namespace pelk {

class TDM_Obiekt;

class TZamer_Klient : public TInterfaceObject
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
    TZamer_Klient(TDM_Main &dm, TDM_Obiekt &crm, QObject *parent = nullptr);

    Variant ID, EXID;
    QString Nazwa, Miasto;
    Variant Kod;
    QString Ulica;
    Variant Aktywny, DataUtworzenia, DataAktualizacji, KategoriaABC, Sektor, ERPID, Kategoria, OsobaOdpowiedzialna;

    bool LoadFromXML() override;
    bool SaveToXML() override;
    bool LoadObjectData(RObiekt &element) override;
    bool SaveObjectData(RObiekt &element) override;

    bool LoadKlient();
    bool GetKlient();

private:
    TDM_Obiekt &m_crm;
    bool m_rowRead = false; // the CRM answered the record query
};

} // namespace pelk
