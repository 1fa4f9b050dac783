// pelk-password: enciphers a text into the stored form of passwords and logins, or deciphers
// a stored text, through the key library beside the program. The text to encipher is read
// from standard input when it is not given (or given as "-"), so that a plain password stays
// out of the process list and the shell's history.
#include "config/KeyLibrary.h"
#include "config/Password.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

int Usage()
{
    std::fputs("Użycie: pelk-password encipher [TEKST | -]   (bez tekstu lub z \"-\": jedna linia ze standardowego wejścia)\n"
               "       pelk-password decipher SZYFROGRAM\n",
               stderr);
    return 2;
}

void PrintLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

// One line of standard input without its line end (LF or CR LF).
QString ReadLine()
{
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    const bool fromInput = command == QLatin1String("encipher") && (args.size() == 1 || args.value(1) == QLatin1String("-"));
    if (args.size() > 2 || (args.size() != 2 && !fromInput))
        return Usage();
    pelk::SetKeyLibraryMessageHandler([](const QString &text, const QString &) { PrintLine(stderr, text); });

    const QString text = fromInput ? ReadLine() : args.at(1);
    QString result;
    try {
        if (command == QLatin1String("encipher")) {
            if (!pelk::TryEncryptPassword(text, result))
                return 1;
        } else if (command == QLatin1String("decipher")) {
            if (!pelk::TryDecryptPassword(text, result))
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
