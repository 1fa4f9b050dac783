#pragma once
// A real mail server on loopback for one test: support/smtp_recorder.py (aiosmtpd) started on a
// free port and stopped with the object; it records every accepted message and every command.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelk::test {

class SmtpRecorder
{
public:
    struct Options
    {
        QString login, password; // a login is required when given
        bool echoCredentials = false;
        bool starttls = false; // STARTTLS required, self-signed certificate in CertificateFile()
        int smtpsPort = 0;     // instead: TLS from the first byte on this port, the same certificate
        // Served instead of the self-signed certificate.
        QString certificateFile = {}, keyFile = {};
        bool refuseRecipients = false;
        bool hangAtData = false; // the message is taken and never answered
    };

    SmtpRecorder() : SmtpRecorder(Options()) {}
    explicit SmtpRecorder(const Options &options)
    {
        QStringList args{QStringLiteral(PELK_SMTP_RECORDER), m_dir.path()};
        if (!options.login.isEmpty())
            args << QStringLiteral("--auth") << options.login + QLatin1Char(':') + options.password;
        if (options.echoCredentials)
            args << QStringLiteral("--echo-credentials");
        if (options.starttls)
            args << QStringLiteral("--starttls");
        if (options.smtpsPort != 0)
            args << QStringLiteral("--smtps") << QString::number(options.smtpsPort);
        if (!options.certificateFile.isEmpty())
            args << QStringLiteral("--cert") << options.certificateFile << QStringLiteral("--key") << options.keyFile;
        if (options.refuseRecipients)
            args << QStringLiteral("--refuse-recipients");
        if (options.hangAtData)
            args << QStringLiteral("--hang-at-data");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(PELK_SMTP_PYTHON), args);
        while (m_port == 0 && m_process.waitForReadyRead(20000)) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("PORT "))
                m_port = line.mid(5).toInt();
        }
        EXPECT_NE(m_port, 0) << "the SMTP server did not start (" PELK_SMTP_PYTHON " with aiosmtpd)";
    }
    ~SmtpRecorder()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    int Port() const { return m_port; }
    QString CertificateFile() const { return m_dir.filePath(QStringLiteral("cert.pem")); }

    // The accepted messages, in order.
    QList<QJsonObject> Messages() const
    {
        QList<QJsonObject> out;
        for (const QString &name : QDir(m_dir.path()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            QFile f(m_dir.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                out << QJsonDocument::fromJson(f.readAll()).object();
        }
        return out;
    }
    // "connect", "noop", "auth ok", "auth fail", "rcpt <address>", "data", "data hangs", "quit",
    // in order.
    QStringList Events() const
    {
        QFile f(m_dir.filePath(QStringLiteral("events.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

} // namespace pelk::test
