#include "KeyLibrary.h"

#include "TransakcjeAbi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

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

// Where the library is looked for, in order: beside the program; then on Windows the system
// folder only (never the current folder or PATH, where anybody may plant a library of that
// name), elsewhere the library path.
QStringList Candidates()
{
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(LibraryName());
#ifdef _WIN32
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        candidates << QDir(QString::fromWCharArray(system, int(length))).filePath(LibraryName());
#else
    candidates << QStringLiteral("Transakcje");
#endif
    return candidates;
}

bool Load(QLibrary &library)
{
    for (const QString &candidate : Candidates()) {
        library.setFileName(candidate);
        if (library.load())
            return true;
    }
    return false;
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

QString KeyFileExposure()
{
#ifdef _WIN32
    return QString(); // file modes say nothing of who may read it there
#else
    QString file = qEnvironmentVariable("PELK_KEY_FILE");
    if (file.isEmpty()) {
        QLibrary library;
        if (!Load(library))
            return QString();
        file = QFileInfo(library.fileName()).absoluteDir().filePath(QStringLiteral("Transakcje.key"));
    }
    struct stat status
    {};
    if (::stat(QFile::encodeName(file).constData(), &status) != 0 || !S_ISREG(status.st_mode)
        || (status.st_mode & (S_IRGRP | S_IROTH)) == 0)
        return QString();
    return QStringLiteral("Plik klucza %1 mogą czytać inni użytkownicy (prawa %2); powinien go czytać tylko "
                          "użytkownik programu (chmod 600)")
        .arg(file)
        .arg(QString::number(status.st_mode & 0777, 8));
#endif
}

} // namespace pelk
