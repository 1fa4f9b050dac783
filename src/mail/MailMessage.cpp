#include "MailMessage.h"

#include "config/IsoLatin2.h"

#include <QUuid>

namespace pelk {

namespace {

constexpr int kEncodedWordMax = 75; // RFC 2047, 2
constexpr int kLineMax = 76;        // of a line with encoded words, RFC 2047, 2
const QByteArray kWordStart = "=?ISO-8859-2?Q?";
const QByteArray kWordEnd = "?=";

// Q encoding of one byte, restricted to the characters a phrase may carry (RFC 2047, 5 (3)),
// so the same words serve the subject and the sender's name.
QByteArray QEncoded(uchar byte)
{
    if (byte == ' ')
        return "_";
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '!' || byte == '*'
        || byte == '+' || byte == '-' || byte == '/')
        return QByteArray(1, char(byte));
    return '=' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
}

// "Name: token token ..." folded before a token that would pass the line limit.
QByteArray FoldedHeader(const QByteArray &name, const QList<QByteArray> &tokens)
{
    QByteArray out = name + ':';
    qsizetype lineLength = out.size();
    for (const QByteArray &token : tokens) {
        if (lineLength + 1 + token.size() > kLineMax) {
            out += "\r\n";
            lineLength = 0;
        }
        out += ' ' + token;
        lineLength += 1 + token.size();
    }
    return out + "\r\n";
}

QByteArray MessageId(const QString &fromMail)
{
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return '<' + id.toLatin1() + '@' + fromMail.section(QLatin1Char('@'), -1).toLatin1() + '>';
}

} // namespace

QString LimitedSubject(const QString &text)
{
    if (text.size() <= kSubjectLimit)
        return text;
    return text.left(kSubjectLimit) + QStringLiteral(" ... (skrócono z %1 znaków, całość w pliku logu)").arg(text.size());
}

QList<QByteArray> EncodedWords(const QString &text, int firstRoom)
{
    QList<QByteArray> words;
    const qsizetype frame = kWordStart.size() + kWordEnd.size();
    QByteArray payload;
    qsizetype room = firstRoom - frame;
    for (const char ch : ToIsoLatin2(text)) {
        const QByteArray piece = QEncoded(uchar(ch));
        if (payload.size() + piece.size() > room && !payload.isEmpty()) {
            words << kWordStart + payload + kWordEnd;
            payload.clear();
            room = kEncodedWordMax - frame;
        }
        payload += piece;
    }
    if (!payload.isEmpty())
        words << kWordStart + payload + kWordEnd;
    return words;
}

bool IsPlainAddress(const QString &address)
{
    static const QString forbidden = QStringLiteral("<>\"(),;\\[]");
    if (!address.contains(QLatin1Char('@')))
        return false;
    for (const QChar c : address)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || forbidden.contains(c))
            return false;
    return true;
}

QByteArray BuildMailMessage(const MailFields &fields, QString *error)
{
    // The reason names the key and never repeats the text, which may hold line breaks.
    for (const auto &[address, key] : {std::pair(fields.fromMail, "FromMail"), std::pair(fields.toMail, "ToMail")}) {
        if (!IsPlainAddress(address)) {
            *error = QStringLiteral("Niepoprawny adres e-mail w zmiennej \"%1\".").arg(QLatin1String(key));
            return QByteArray();
        }
    }
    const QByteArray from = fields.fromMail.toLatin1();
    const QByteArray to = fields.toMail.toLatin1();
    const QByteArray subjectName = "Subject";
    const QByteArray fromName = "From";

    QList<QByteArray> fromTokens = EncodedWords(fields.fromName, kLineMax - fromName.size() - 2);
    fromTokens << '<' + from + '>';

    QByteArray out;
    out += "Date: " + fields.date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    out += FoldedHeader(fromName, fromTokens);
    out += "Reply-To: " + from + "\r\n";
    out += "To: " + to + "\r\n";
    out += FoldedHeader(subjectName, EncodedWords(LimitedSubject(fields.subject), kLineMax - subjectName.size() - 2));
    out += "Message-ID: " + MessageId(fields.fromMail) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=ISO-8859-2\r\n";
    out += "Content-Transfer-Encoding: 7bit\r\n";
    out += "X-Priority: 3 (Normal)\r\n";
    out += "\r\n";
    return out;
}

} // namespace pelk
