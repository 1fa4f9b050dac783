#pragma once
// Base of every object whose published (Q_PROPERTY) properties are stored in XML files.
//
// Conventions read by the serializer:
//   Q_CLASSINFO("default:Name", "value")  declared default of an enumeration or Boolean
//   Q_CLASSINFO("olestr:Name", "")        a wide-string property (written as "OleStr")
// Sets are int properties holding bit n for the n-th enumeration member.
#include <QObject>

namespace pelk {

class TPersistent : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Copies the state of another object; the base refuses ("Cannot assign a X to a Y").
    virtual void Assign(const TPersistent *source);
    QString ClassName() const { return BareClassName(this); }
    // Class name without namespace, as object files name classes ("TSettingsProcess").
    static QString BareClassName(const QObject *object);
};

} // namespace pelk
