#include "GpsSql.h"

namespace pelk::GpsSql {

const DialectSql &FindPojazd()
{
    static const DialectSql s{QStringLiteral("Select OB_ID from dbo.OBIEKT where OB_MAP1 =:NumerRejestracyjny"), {}};
    return s;
}

// The line breaks are line feed then carriage return, as the statement has always been sent.
const DialectSql &FindKierowca()
{
    static const DialectSql s{
        QStringLiteral("Select Kierowca.OBR_ID_OB2 as KierowcaId \n\r"
                       " from dbo.OBIEKT_RELACJA Pojazd \n\r"
                       "      inner join dbo.OBIEKT_RELACJA Kierowca on Pojazd.OBR_ID_OB1 = Kierowca.OBR_ID_OB1 and "
                       "Kierowca.OBR_ID_SLO_ZRODLO = 802 and Kierowca.OBR_ID_SLO_TYP = 207 \n\r"
                       " where Pojazd.OBR_ID_OB2 =:PojazdId and \n\r"
                       "       Pojazd.OBR_ID_SLO_TYP = 212 and \n\r"
                       "       Pojazd.OBR_ID_SLO_ZRODLO = 802"),
        {}};
    return s;
}

// The instant is bound as a date-time, never pasted into the text as a formatted literal.
const DialectSql &FindPostoj()
{
    static const DialectSql s{
        QStringLiteral("Select * from dbo.TRASA_GPS where TGP_ID_OB1 =:PojazdId and TGP_DATACZAS =:DataCzas"), {}};
    return s;
}

// The registration number is bound, never pasted into the text.
const DialectSql &OstatniPostoj()
{
    static const DialectSql s{
        QStringLiteral("select DataCzas = Max(TGP_DATACZAS) from dbo.TRASA_GPS inner join  dbo.OBIEKT on OB_ID = TGP_ID_OB1 "
                       "where OB_ID_SLO_TYP = 106 and OB_MAP1 = :NumerRejestracyjny"),
        QStringLiteral("select Max(TGP_DATACZAS) as DataCzas from dbo.TRASA_GPS inner join dbo.OBIEKT on OB_ID = TGP_ID_OB1 "
                       "where OB_ID_SLO_TYP = 106 and OB_MAP1 = :NumerRejestracyjny")};
    return s;
}

QString TrasaTable()
{
    return QStringLiteral("dbo.TRASA_GPS");
}

QStringList TrasaFields()
{
    return {QStringLiteral("TGP_ID"),       QStringLiteral("TGP_ID_OB1"),        QStringLiteral("TGP_ID_OB2"),
            QStringLiteral("TGP_DATACZAS"), QStringLiteral("TGP_ID_SLO_STATUS"), QStringLiteral("TGP_PREDKOSC"),
            QStringLiteral("TGP_DYSTANS"),  QStringLiteral("TGP_X_KM"),          QStringLiteral("TGP_Y_KM"),
            QStringLiteral("TGP_X_STO"),    QStringLiteral("TGP_Y_STO"),         QStringLiteral("TGP_NUM1")};
}

} // namespace pelk::GpsSql
