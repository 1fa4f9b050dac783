#pragma once
// The elements the GPS server sends, as the decoder cuts them out of the stream (start text
// to end text), and the readers of their attributes and text. Contents are UTF-8 bytes.
#include <QByteArrayView>
#include <QString>
#include <array>

namespace pelk {

enum class TDSLocateElement {
    Hello,
    Message,
    ClientInfo,
    PropertyInfo,
    ExtcolumnsInfo,
    UpdateOpen,
    UpdateClose,
    ArchiveOpen,
    ArchiveClose,
    FrameOpen,
    FrameClose,
    VehicleListOpen,
    VehicleListClose,
    VehicleInfo,
};

struct TDSLocateCondition
{
    TDSLocateElement element;
    const char *keyword;  // "frame_open"
    QByteArrayView start; // "<frame", matched without regard to letter case
    QByteArrayView end;   // ">", searched from the start text on, likewise
};

// The element table, in the order of TDSLocateElement.
const std::array<TDSLocateCondition, 14> &ElementTable();

// The value of the first `name="` in the content (exact case; an attribute whose name ends
// with `name` matches too), up to the next double quote or the end; empty when absent.
QByteArrayView AttrBytes(QByteArrayView name, QByteArrayView content);
QString Attr(QByteArrayView name, QByteArrayView content);
// The value as a decimal 32-bit integer; kBrakWartosci when empty or unreadable.
qint32 IntAttr(QByteArrayView name, QByteArrayView content);
// The characters after the first ">" up to the next "<" or the end; empty without a ">".
QString ElementText(QByteArrayView content);
// A decimal number with "." (or ",") as decimal point; throws EConvertError
// "'x' is not a valid floating point value" when empty or unreadable.
double DecimalAttr(QByteArrayView text);

} // namespace pelk
