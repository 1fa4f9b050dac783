// pelk-password: enciphers a text into the stored form of passwords and logins, or deciphers
// a stored text, through the key library beside the program.
#include "config/KeyLibrary.h"
#include "config/Password.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

int Usage()
{
    std::fputs("Użycie: pelk-password encipher TEKST\n"
               "       pelk-password decipher SZYFROGRAM\n",
               stderr);
    return 2;
}

void PrintLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2)
        return Usage();
    pelk::SetKeyLibraryMessageHandler([](const QString &text, const QString &) { PrintLine(stderr, text); });

    const QString &command = args.at(0);
    QString result;
    try {
        if (command == QLatin1String("encipher")) {
            if (!pelk::TryEncryptPassword(args.at(1), result))
                return 1;
        } else if (command == QLatin1String("decipher")) {
            if (!pelk::TryDecryptPassword(args.at(1), result))
                return 1;
        } else {
            return Usage();
        }
    } catch (const pelk::Exception &e) {
        PrintLine(stderr, e.message());
        return 1;
    }
    PrintLine(stdout, result);
    return 0;
}
