#pragma once
// The key text of the key library for one test: a key file named by PELK_KEY_FILE.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelk::test {

class ScopedKeyFile
{
public:
    explicit ScopedKeyFile(const QByteArray &firstLine)
    {
        m_path = m_dir.filePath(QStringLiteral("Transakcje.key"));
        QFile f(m_path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(firstLine + "\r\nsecond line is not part of the key\r\n");
        f.close();
        qputenv("PELK_KEY_FILE", QFile::encodeName(m_path));
    }
    ~ScopedKeyFile() { qunsetenv("PELK_KEY_FILE"); }
    ScopedKeyFile(const ScopedKeyFile &) = delete;
    ScopedKeyFile &operator=(const ScopedKeyFile &) = delete;
    QString Path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace pelk::test
