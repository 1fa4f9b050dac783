#pragma once
// One element of a list queue's run.
#include "config/DateTime.h"

#include <QString>
#include <QVariant>

namespace pelk {

struct RObiekt
{
    enum Kinds : quint8 {
        FromDatabase = 0, // read from the source database
        SourceFile = 1,   // file in the working folder in the source layout
        TargetFile = 2    // file in the working folder in the target layout
    };
    quint8 Kind = FromDatabase;
    QString FileName; // current staged file, without folder
    QString Key;      // source key as text
    QString Text1, Text2;
    int Number = 0;
    QVariant Data; // free for the per-kind queue
    TDateTime ChangeDate = 0;
    // Set by an exchange object whose element was read but cannot be exchanged (the reason is
    // logged): the element is refused, not retried, and holds no last-exchange time back (nor,
    // for sales, the zeroing of the objects no customer touched).
    bool Refused = false;
};

} // namespace pelk
