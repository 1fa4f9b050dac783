#include "KeyLibrary.h"

#include "TransakcjeAbi.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>
#include <cstring>

namespace pelk {

namespace {

QMutex g_handlerMutex;
KeyLibraryMessageHandler g_handler;

void ShowFailure()
{
    const QString text = QStringLiteral("Błąd ładowania biblioteki Transakcje.dll");
    const QString caption = QStringLiteral("Error");
    KeyLibraryMessageHandler handler;
    {
        QMutexLocker lock(&g_handlerMutex);
        handler = g_handler;
    }
    if (handler)
        handler(text, caption);
    else
        qWarning("%s", qUtf8Printable(text));
}

QString LibraryName()
{
#ifdef _WIN32
    return QStringLiteral("Transakcje.dll");
#else
    return QStringLiteral("libTransakcje.so");
#endif
}

// Beside the program, as Windows looks for a library loaded by name; then the library path.
bool Load(QLibrary &library)
{
    if (QCoreApplication::instance()) {
        library.setFileName(QDir(QCoreApplication::applicationDirPath()).filePath(LibraryName()));
        if (library.load())
            return true;
    }
    library.setFileName(QStringLiteral("Transakcje"));
    return library.load();
}

} // namespace

void SetKeyLibraryMessageHandler(KeyLibraryMessageHandler handler)
{
    QMutexLocker lock(&g_handlerMutex);
    g_handler = std::move(handler);
}

bool LoadKeyText(QByteArray &keyText)
{
    using namespace transakcje;
    // Never unloaded: the library stays for the program's life, as on every later call.
    QLibrary library;
    if (!Load(library)) {
        ShowFailure();
        return false;
    }
    const auto inicjuj = reinterpret_cast<InicjujFunction>(library.resolve(kInicjuj));
    if (!inicjuj) {
        ShowFailure();
        return false;
    }
    inicjuj(0, kPassPhrase);
    const auto getSygnatura = reinterpret_cast<GetSygnaturaFunction>(library.resolve(kGetSygnatura));
    if (!getSygnatura) {
        ShowFailure();
        return false;
    }
    char buffer[kBufferSize] = {};
    getSygnatura(kAccessCode, buffer);
    // At most the buffer is taken, whether or not the library ended it with a NUL.
    keyText = QByteArray(buffer, qsizetype(strnlen(buffer, sizeof buffer)));
    // A library without its key text (the key file missing or empty) is as good as missing.
    if (keyText.isEmpty()) {
        ShowFailure();
        return false;
    }
    return true;
}

} // namespace pelk
