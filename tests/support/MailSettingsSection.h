#pragma once
// The "MailSettings" property of an application settings file, with the given keys (typed
// Integer for the numeric keys, Enumeration for True/False, String otherwise).
#include <QList>
#include <QPair>
#include <QStringList>

namespace pelk::test {

inline QString MailSettingsSection(const QList<QPair<QString, QString>> &keys)
{
    static const QStringList integers = {"PoziomLogow", "Port", "ConnectTimeout", "TransferTimeout", "PauseAfterFailure"};
    QString props;
    for (const auto &[key, value] : keys) {
        const bool boolean = value == QLatin1String("True") || value == QLatin1String("False");
        const QString type = integers.contains(key) ? QStringLiteral("Integer")
            : boolean                               ? QStringLiteral("Enumeration")
                                                    : QStringLiteral("String");
        props += QStringLiteral("<property name=\"%1\" type=\"%2\">%3</property>").arg(key, type, value);
    }
    return QStringLiteral("<property name=\"MailSettings\" type=\"Object\" class=\"TMailSettings\">"
                          "<class classname=\"TMailSettings\" name=\"MailSettings\"><properties>%1"
                          "</properties></class></property>")
        .arg(props);
}

} // namespace pelk::test
