#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pelk {

namespace {

// The operating system's flush of a file's data to the disk.
bool SyncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool Fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, Overwrite overwrite, QString *error)
{
    const QString part = path + QLatin1String(kPartSuffix);
    QFile file(part);
    // A ".part" left by a crash is the unfinished write of this very file: it is overwritten.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Fail(error, QStringLiteral("%1: %2").arg(part, file.errorString()));
    if (file.write(bytes) != bytes.size() || !SyncToDisk(file)) {
        const QString reason = QStringLiteral("%1: %2").arg(part, file.errorString());
        file.close();
        QFile::remove(part);
        return Fail(error, reason);
    }
    file.close();

    if (overwrite == Overwrite::Refuse) {
        // QFile::rename never replaces an existing file.
        QFile moved(part);
        if (!moved.rename(path)) {
            const QString reason = QFileInfo::exists(path) ? QStringLiteral("%1: file exists").arg(path)
                                                           : QStringLiteral("%1: %2").arg(path, moved.errorString());
            QFile::remove(part);
            return Fail(error, reason);
        }
        return true;
    }
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(part.toStdU16String()), std::filesystem::path(path.toStdU16String()), ec);
    if (ec) {
        QFile::remove(part);
        return Fail(error, QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(ec.message())));
    }
    return true;
}

} // namespace pelk
