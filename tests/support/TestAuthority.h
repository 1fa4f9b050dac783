#pragma once
// A certificate authority made for one test with the openssl program: its certificate and the
// server certificates it issues (PEM files in a folder of its own, gone with the object).
#include "support/ChildProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelk::test {

class TestAuthority
{
public:
    // What makes an issued certificate weak: a 768-bit RSA key, or an MD5 signature.
    enum class Weakness { None, SmallKey, Md5Signature };
    struct RIssued
    {
        QString certificateFile, keyFile;
    };

    // An RSA authority, so that it can sign with MD5 too.
    TestAuthority()
    {
        Run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", Path("ca.key"), "-out", CertificateFile(), "-days", "2",
             "-subj", "/CN=Pelk Test CA"});
    }

    QString CertificateFile() const { return Path("ca.pem"); }

    // A server certificate whose alternative names are `names` ("IP:127.0.0.1",
    // "DNS:localhost,DNS:gps.example.com"), signed with SHA-256 unless made weak.
    RIssued Issue(const QString &names, Weakness weakness = Weakness::None)
    {
        const QString stem = QStringLiteral("server%1").arg(++m_issued);
        const RIssued issued{Path(stem + ".pem"), Path(stem + ".key")};
        QFile extensions(Path(stem + ".ext"));
        EXPECT_TRUE(extensions.open(QIODevice::WriteOnly));
        extensions.write("subjectAltName=" + names.toLatin1() + "\n");
        extensions.close();
        const QStringList key = weakness == Weakness::SmallKey
            ? QStringList{"-newkey", "rsa:768"}
            : QStringList{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1"};
        Run(QStringList{"req"} + key
            + QStringList{"-nodes", "-keyout", issued.keyFile, "-out", Path(stem + ".csr"), "-subj", "/CN=" + stem});
        Run({"x509", "-req", "-in", Path(stem + ".csr"), "-CA", CertificateFile(), "-CAkey", Path("ca.key"), "-set_serial",
             QString::number(m_issued), "-days", "2", weakness == Weakness::Md5Signature ? "-md5" : "-sha256", "-extfile",
             extensions.fileName(), "-out", issued.certificateFile});
        return issued;
    }

private:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    // Through RunChild, not QProcess, so that the ThreadSanitizer build keeps following locks.
    static void Run(const QStringList &arguments)
    {
        const RChildResult r = RunChild(QStringLiteral("openssl"), arguments, QByteArray(), std::chrono::seconds(60));
        EXPECT_TRUE(r.finished && r.exitCode == 0)
            << "openssl " << arguments.join(QLatin1Char(' ')).toStdString() << ": " << r.err.toStdString();
    }

    QTemporaryDir m_dir;
    int m_issued = 0;
};

} // namespace pelk::test
