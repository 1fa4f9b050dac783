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
    // Set by an exchange object that refuses its element for its data (the reason is logged):
    // a source record that cannot be exchanged, a record the GIS checks refuse. It counts as
    // refused, not failed, and holds no last-exchange time back (nor, for sales, the zeroing of
    // the objects no customer touched); a staged file the GIS refused stays for a later run.
    bool Refused = false;
};

} // namespace pelk
