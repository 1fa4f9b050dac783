#pragma once
// The CRM record of a customer or distributor: the source-layout file of the kinds
// "Klient" and "Dystrybutor", read from the CRM.
#include "gisdb/Zamer_KlientDane.h"

namespace pelk {

class TDM_Obiekt;

class TZamer_Klient : public TZamer_KlientDane
{
    Q_OBJECT
public:
    TZamer_Klient(TDM_Main &dm, TDM_Obiekt &crm, QObject *parent = nullptr);

    bool LoadObjectData(RObiekt &element) override;

    bool LoadKlient();
    bool GetKlient();

private:
    TDM_Obiekt &m_crm;
    bool m_rowRead = false; // the CRM answered the record query
};

} // namespace pelk
