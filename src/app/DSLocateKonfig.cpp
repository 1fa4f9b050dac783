#include "DSLocateKonfig.h"

#include "config/PasswordCipher.h"

namespace pelk {

namespace {

// A malformed cipher text fails while the settings load, naming its key there, rather than
// at the first login of some later run.
void CheckStoredCipherText(const QString &value)
{
    if (!value.isEmpty())
        DecodeCipherText(value);
}

} // namespace

TDSLKonfiguracjaSerwera::TDSLKonfiguracjaSerwera(QObject *owner) : TPersistent(owner)
{
    BuildFilter();
}

void TDSLKonfiguracjaSerwera::SetLogin(const QString &value)
{
    CheckStoredCipherText(value);
    m_login = value;
}

void TDSLKonfiguracjaSerwera::SetHaslo(const QString &value)
{
    CheckStoredCipherText(value);
    m_haslo = value;
}

void TDSLKonfiguracjaSerwera::BuildFilter()
{
    m_filtr.clear();
    const std::pair<bool, const char *> switches[] = {
        {m_predkosc, "speed"},   {m_dystans, "dist"},         {m_kierunek, "hdg"},          {m_iloscSatelit, "sat"},
        {m_iloscPaliwa, "fuel"}, {m_nazwaKierowcy, "driver"}, {m_statusPojazdu, "digital"},
    };
    for (const auto &[on, name] : switches)
        if (on)
            AddFilterItem(QLatin1String(name));
}

void TDSLKonfiguracjaSerwera::AddFilterItem(const QString &name)
{
    if (!m_filtr.contains(name))
        m_filtr += QLatin1Char(' ') + name;
}

void TDSLKonfiguracjaSerwera::RemoveFilterItem(const QString &name)
{
    // Names always follow their space; a match at the very start deletes nothing.
    const qsizetype at = m_filtr.indexOf(name);
    if (at > 0)
        m_filtr.remove(at - 1, name.size() + 1);
}

void TDSLKonfiguracjaSerwera::SetSwitch(bool &field, bool value, const QString &name)
{
    if (value == field)
        return;
    if (value)
        AddFilterItem(name);
    else
        RemoveFilterItem(name);
    field = value;
}

TDSLocateKonfig::TDSLocateKonfig(QObject *owner)
    : TPersistent(owner), m_harmonogram(new TDSLKonfiguracjaHarmonogram(this)), m_serwer(new TDSLKonfiguracjaSerwera(this))
{}

} // namespace pelk
