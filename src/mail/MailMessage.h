#pragma once
// The mail an error becomes: the headers of a plain-text message without body, the subject and
// the sender's name in ISO 8859-2 as encoded words (RFC 2047) folded to short lines, so no text
// can add a header of its own.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace pelk {

struct MailFields
{
    QString fromMail;
    QString fromName;
    QString toMail;
    QString subject;
    QDateTime date; // the moment of sending, with its zone
};

// Subjects longer than this are cut, with a note; the log file keeps the whole text.
constexpr qsizetype kSubjectLimit = 2000;

// The message: Date, From (name and address), Reply-To (the sender's address), To, Subject,
// Message-ID, MIME-Version, Content-Type text/plain in ISO-8859-2, normal priority, no body;
// CR LF line ends. Empty, with the reason in error, when an address is not a plain address
// (see IsPlainAddress).
QByteArray BuildMailMessage(const MailFields &fields, QString *error);

// The subject as sent: the text up to kSubjectLimit characters, a longer one cut with a note
// that gives its length.
QString LimitedSubject(const QString &text);

// The text's ISO 8859-2 bytes as Q-encoded words (RFC 2047), the first at most firstRoom
// characters long, the others at most 75; a word never splits an encoded byte.
QList<QByteArray> EncodedWords(const QString &text, int firstRoom);

// An address usable in the envelope and the headers: printable ASCII with an "@", without
// spaces, angle brackets, quotes, parentheses, commas or semicolons.
bool IsPlainAddress(const QString &address);

} // namespace pelk
