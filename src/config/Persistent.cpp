#include "Persistent.h"

#include "Errors.h"

namespace pelk {

void TPersistent::Assign(const TPersistent *source)
{
    throw Exception(QStringLiteral("Cannot assign a %1 to a %2")
                        .arg(source ? source->ClassName() : QStringLiteral("nil"), ClassName()));
}

} // namespace pelk
