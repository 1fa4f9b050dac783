#include "Persistent.h"

#include "Errors.h"

namespace pelk {

void TPersistent::Assign(const TPersistent *source)
{
    throw Exception(
        QStringLiteral("Cannot assign a %1 to a %2").arg(source ? source->ClassName() : QStringLiteral("nil"), ClassName()));
}

QString TPersistent::BareClassName(const QObject *object)
{
    const QString full = QString::fromLatin1(object->metaObject()->className());
    const qsizetype sep = full.lastIndexOf(QLatin1String("::"));
    return sep < 0 ? full : full.mid(sep + 2);
}

} // namespace pelk
