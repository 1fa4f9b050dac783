#include "MailSettings.h"

#include "config/Password.h"

namespace pelk {

void TMailSettings::SetPassword(const QString &value)
{
    // An empty text is no cipher text: deciphering it would fail the whole settings load.
    m_plainPassword = value.isEmpty() ? QString() : DecryptPassword(value);
    m_password = value;
}

bool TMailSettings::CheckMailSettings()
{
    const bool ok = CheckValue(Host, QStringLiteral("Host"))
        && (!Authentication || (CheckValue(Login, QStringLiteral("Login")) && CheckValue(m_password, QStringLiteral("Password"))))
        && CheckValue(FromMail, QStringLiteral("FromMail")) && CheckValue(ToMail, QStringLiteral("ToMail"))
        && CheckRange(ConnectTimeout, 1, 3600, QStringLiteral("ConnectTimeout"))
        && CheckRange(TransferTimeout, 1, 3600, QStringLiteral("TransferTimeout"))
        && CheckRange(PauseAfterFailure, 0, 86400, QStringLiteral("PauseAfterFailure"));
    if (ok)
        m_poprawne = true;
    return ok;
}

bool TMailSettings::CheckValue(const QString &value, const QString &key)
{
    if (!value.isEmpty())
        return true;
    m_bladKonfiguracji =
        QStringLiteral(" Brak zdefinowanej wartości zmiennej \"%1\" w pliku konfiguracyjnym %2").arg(key, SettingsFile);
    return false;
}

bool TMailSettings::CheckRange(int value, int low, int high, const QString &key)
{
    if (value >= low && value <= high)
        return true;
    m_bladKonfiguracji = QStringLiteral(" Wartość zmiennej \"%1\" w pliku konfiguracyjnym %2 poza dozwolonym zakresem %3..%4.")
                             .arg(key, SettingsFile)
                             .arg(low)
                             .arg(high);
    return false;
}

} // namespace pelk
