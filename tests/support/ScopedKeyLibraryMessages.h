#pragma once
// Collects, for its scope, what the key library's failure shows ("caption|text" each).
#include "config/KeyLibrary.h"

#include <QStringList>

namespace pelk::test {

class ScopedKeyLibraryMessages
{
public:
    ScopedKeyLibraryMessages()
    {
        SetKeyLibraryMessageHandler(
            [this](const QString &text, const QString &caption) { shown << caption + QLatin1Char('|') + text; });
    }
    ~ScopedKeyLibraryMessages() { SetKeyLibraryMessageHandler(nullptr); }
    QStringList shown;
};

} // namespace pelk::test
