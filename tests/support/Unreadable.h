#pragma once
// A file that exists but cannot be read, also when the tests run as root (whom file modes do
// not stop): the mode is 000 and, for root, the check runs under an unprivileged user id.
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdlib>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace pelk::test {

// Runs `check` while `path` (an existing file) cannot be read by this process.
inline void WhileUnreadable(const QString &path, const std::function<void()> &check)
{
    const QByteArray file = QFile::encodeName(path);
    // The unprivileged user may pass through the (private) folder to find the file.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct stat before
    {};
    ::stat(folder.constData(), &before);
    ::chmod(folder.constData(), before.st_mode | 0711);
    ::chmod(file.constData(), 0);
    const bool root = ::geteuid() == 0;
    if (!root || ::seteuid(65534) == 0) { // nobody
        check();
        if (root && ::seteuid(0) != 0)
            std::abort();
    }
    ::chmod(file.constData(), 0644);
    ::chmod(folder.constData(), before.st_mode & 07777);
}

} // namespace pelk::test
