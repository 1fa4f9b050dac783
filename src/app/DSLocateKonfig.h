#pragma once
// The GPS feed's settings: the daily time window and storage switches, the server's address,
// account and the frame attributes to read (the "DSLocateKonfig" key of the settings file).
#include "config/DateTime.h"
#include "config/Persistent.h"

namespace pelk {

class TDSLKonfiguracjaHarmonogram : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(double CzasStart MEMBER CzasStart)
    Q_PROPERTY(double CzasStop MEMBER CzasStop)
    Q_PROPERTY(bool FiltrStatusSilnikaWylaczony MEMBER FiltrStatusSilnikaWylaczony)
    Q_PROPERTY(bool ZapiszDaneDoBazyDanych MEMBER ZapiszDaneDoBazyDanych)
    Q_PROPERTY(bool ZapiszDaneDoPliku MEMBER ZapiszDaneDoPliku)
    Q_PROPERTY(bool ZapiszDaneDoTabeli MEMBER ZapiszDaneDoTabeli)
    Q_PROPERTY(double InicjalnaData MEMBER InicjalnaData)
    // Booleans are written only when they differ from these.
    Q_CLASSINFO("default:FiltrStatusSilnikaWylaczony", "1")
    Q_CLASSINFO("default:ZapiszDaneDoBazyDanych", "0")
    Q_CLASSINFO("default:ZapiszDaneDoPliku", "0")
    Q_CLASSINFO("default:ZapiszDaneDoTabeli", "0")
public:
    explicit TDSLKonfiguracjaHarmonogram(QObject *owner = nullptr) : TPersistent(owner) {}

    // Only the time of day of the window's ends counts.
    TDateTime CzasStart = 1.0 / 86400;
    TDateTime CzasStop = 86399.0 / 86400;
    bool FiltrStatusSilnikaWylaczony = true;
    // Decoded positions go to the GIS database; while false they are decoded and discarded.
    bool ZapiszDaneDoBazyDanych = false;
    bool ZapiszDaneDoPliku = false;
    bool ZapiszDaneDoTabeli = false;
    // When not 0, every run requests positions from this instant on.
    TDateTime InicjalnaData = 0;
};

class TDSLKonfiguracjaSerwera : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(QString Host MEMBER Host)
    Q_PROPERTY(quint16 Port MEMBER Port)
    Q_PROPERTY(QString Login READ Login WRITE SetLogin)
    Q_PROPERTY(QString Haslo READ Haslo WRITE SetHaslo)
    Q_PROPERTY(bool AutomatycznaAktualizacja MEMBER AutomatycznaAktualizacja)
    Q_PROPERTY(QString WlasciwoscFiltra READ WlasciwoscFiltra)
    Q_PROPERTY(bool PobierajPredkosc READ PobierajPredkosc WRITE SetPobierajPredkosc)
    Q_PROPERTY(bool PobierajDystans READ PobierajDystans WRITE SetPobierajDystans)
    Q_PROPERTY(bool PobierajKierunek READ PobierajKierunek WRITE SetPobierajKierunek)
    Q_PROPERTY(bool PobierajIloscSatelit READ PobierajIloscSatelit WRITE SetPobierajIloscSatelit)
    Q_PROPERTY(bool PobierajIloscPaliwa READ PobierajIloscPaliwa WRITE SetPobierajIloscPaliwa)
    Q_PROPERTY(bool PobierajNazweKierowcy READ PobierajNazweKierowcy WRITE SetPobierajNazweKierowcy)
    Q_PROPERTY(bool PobierajStatusPojazdu READ PobierajStatusPojazdu WRITE SetPobierajStatusPojazdu)
    Q_PROPERTY(int LimitCzasuPolaczenia MEMBER LimitCzasuPolaczenia)
    Q_PROPERTY(int LimitCzasuOdpowiedzi MEMBER LimitCzasuOdpowiedzi)
    Q_PROPERTY(bool SprawdzajCertyfikat MEMBER SprawdzajCertyfikat)
    Q_PROPERTY(QString PlikCertyfikatowCA MEMBER PlikCertyfikatowCA)
    Q_PROPERTY(QString OdciskCertyfikatu MEMBER OdciskCertyfikatu)
    Q_CLASSINFO("default:AutomatycznaAktualizacja", "0")
    Q_CLASSINFO("default:PobierajPredkosc", "1")
    Q_CLASSINFO("default:PobierajDystans", "1")
    Q_CLASSINFO("default:PobierajKierunek", "1")
    Q_CLASSINFO("default:PobierajIloscSatelit", "1")
    Q_CLASSINFO("default:PobierajIloscPaliwa", "1")
    Q_CLASSINFO("default:PobierajNazweKierowcy", "1")
    Q_CLASSINFO("default:PobierajStatusPojazdu", "1")
    Q_CLASSINFO("default:SprawdzajCertyfikat", "0")
public:
    // Every switch on; the filter text names all seven attributes.
    explicit TDSLKonfiguracjaSerwera(QObject *owner = nullptr);

    QString Host;
    quint16 Port = 0; // 0: not configured
    bool AutomatycznaAktualizacja = false;

    // The account as stored: cipher texts, deciphered only when logging in. The setters take
    // an empty text or a well-formed cipher text; anything else throws ECipherTextError.
    QString Login() const { return m_login; }
    void SetLogin(const QString &value);
    QString Haslo() const { return m_haslo; }
    void SetHaslo(const QString &value);

    // " speed dist hdg ..." for the switches that are on, in the order they were switched on.
    QString WlasciwoscFiltra() const { return m_filtr; }

    // Which frame attributes are read: "speed", "dist", "hdg", "sat", "fuel", "driver", and
    // "digital" (the engine state).
    bool PobierajPredkosc() const { return m_predkosc; }
    bool PobierajDystans() const { return m_dystans; }
    bool PobierajKierunek() const { return m_kierunek; }
    bool PobierajIloscSatelit() const { return m_iloscSatelit; }
    bool PobierajIloscPaliwa() const { return m_iloscPaliwa; }
    bool PobierajNazweKierowcy() const { return m_nazwaKierowcy; }
    bool PobierajStatusPojazdu() const { return m_statusPojazdu; }
    // A change adds the attribute's name to the end of the filter text, or removes it.
    void SetPobierajPredkosc(bool value) { SetSwitch(m_predkosc, value, QStringLiteral("speed")); }
    void SetPobierajDystans(bool value) { SetSwitch(m_dystans, value, QStringLiteral("dist")); }
    void SetPobierajKierunek(bool value) { SetSwitch(m_kierunek, value, QStringLiteral("hdg")); }
    void SetPobierajIloscSatelit(bool value) { SetSwitch(m_iloscSatelit, value, QStringLiteral("sat")); }
    void SetPobierajIloscPaliwa(bool value) { SetSwitch(m_iloscPaliwa, value, QStringLiteral("fuel")); }
    void SetPobierajNazweKierowcy(bool value) { SetSwitch(m_nazwaKierowcy, value, QStringLiteral("driver")); }
    void SetPobierajStatusPojazdu(bool value) { SetSwitch(m_statusPojazdu, value, QStringLiteral("digital")); }

    // Seconds allowed for the address look-up, the TCP connect and the TLS handshake together.
    static constexpr int kLimitCzasuPolaczenia = 30;
    int LimitCzasuPolaczenia = kLimitCzasuPolaczenia;
    // Seconds a run waits for the next answer while requests are unanswered before it gives up
    // (bytes that answer no request, such as live updates, do not count).
    static constexpr int kLimitCzasuOdpowiedzi = 300;
    int LimitCzasuOdpowiedzi = kLimitCzasuOdpowiedzi;
    // The limits in force: the settings, or their defaults where they are below 1.
    int LimitPolaczenia() const { return LimitCzasuPolaczenia > 0 ? LimitCzasuPolaczenia : kLimitCzasuPolaczenia; }
    int LimitOdpowiedzi() const { return LimitCzasuOdpowiedzi > 0 ? LimitCzasuOdpowiedzi : kLimitCzasuOdpowiedzi; }
    // Whether the server's certificate is checked: against the authorities of
    // PlikCertyfikatowCA (PEM), or pinned by OdciskCertyfikatu (SHA-256 in hex), or, with
    // neither, against the system's authorities. A chain must name the host (or its address)
    // and hold no RSA key under 1024 bits and no MD5 or SHA-1 signature. Off: any certificate
    // is accepted.
    bool SprawdzajCertyfikat = false;
    QString PlikCertyfikatowCA;
    QString OdciskCertyfikatu;

private:
    void BuildFilter();
    void AddFilterItem(const QString &name);
    void RemoveFilterItem(const QString &name);
    void SetSwitch(bool &field, bool value, const QString &name);

    QString m_login, m_haslo, m_filtr;
    bool m_predkosc = true, m_dystans = true, m_kierunek = true, m_iloscSatelit = true, m_iloscPaliwa = true,
         m_nazwaKierowcy = true, m_statusPojazdu = true;
};

class TDSLocateKonfig : public TPersistent
{
    Q_OBJECT
    Q_PROPERTY(QString Wersja MEMBER Wersja)
    Q_PROPERTY(QString Pojazdy MEMBER Pojazdy)
    Q_PROPERTY(pelk::TDSLKonfiguracjaHarmonogram *Harmonogram READ Harmonogram)
    Q_PROPERTY(pelk::TDSLKonfiguracjaSerwera *SerwerDSLocate READ SerwerDSLocate)
public:
    // Creates both nested objects; they report this object as their owner.
    explicit TDSLocateKonfig(QObject *owner = nullptr);

    QString Wersja;
    // Registration numbers separated by ";" or line breaks.
    QString Pojazdy;
    TDSLKonfiguracjaHarmonogram *Harmonogram() const { return m_harmonogram; }
    TDSLKonfiguracjaSerwera *SerwerDSLocate() const { return m_serwer; }

private:
    TDSLKonfiguracjaHarmonogram *m_harmonogram;
    TDSLKonfiguracjaSerwera *m_serwer;
};

} // namespace pelk
