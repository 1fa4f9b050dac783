#pragma once
// A file that exists and reads but cannot be deleted, as one held open by a virus scanner on
// Windows: the file system's immutable flag (which stops root too).
#include <QFile>
#include <QString>
#include <functional>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pelk::test {

// Sets or clears the immutable flag; false where the file system or the process may not.
inline bool SetImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// Runs `check` while `path` cannot be deleted; false (nothing run) where that cannot be made.
inline bool WhileUndeletable(const QString &path, const std::function<void()> &check)
{
    if (!SetImmutable(path, true))
        return false;
    check();
    SetImmutable(path, false);
    return true;
}

} // namespace pelk::test
