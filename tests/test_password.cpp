#include "config/KeyLibrary.h"
#include "config/Lmd.h"
#include "config/Password.h"
#include "config/Windows1250.h"
#include "support/ScopedKeyFile.h"
#include "support/ScopedKeyLibraryMessages.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pelk;
using pelk::test::ScopedKeyFile;
using pelk::test::ScopedKeyLibraryMessages;

namespace {

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

struct LmdCase
{
    QByteArray keyText;
    const char *keyHex;
};

struct CipherCase
{
    const char *keyHex;
    const char *plainHex;
    const char *cipher;
};

const QByteArray kKeyText = "abcdefghi";
const QByteArray kKey = Hex("49439445B5D46601C98CD1FF8D30C833");

const QString kLibraryMessage = QStringLiteral("Error|Błąd ładowania biblioteki Transakcje.dll");

} // namespace

TEST(Password, LmdDigestMatchesTheVectors)
{
    const LmdCase cases[] = {
        {"", "0BD132AA831C56AC1F92E61084A342D2"}, // only the padding block
        {"a", "845EB2948758DC943B8A2F887491032E"},
        {"abcdefgh", "0CB74FF73A8F99B21DEE99F6C97540DA"}, // a whole extra padding block
        {"abcdefghi", "49439445B5D46601C98CD1FF8D30C833"},
        {"Zażółć gęślą jaźń", "3C3543B57327FEE80F7CAEB938F2109B"},  // UTF-8 bytes
        {QByteArray(300, 'x'), "C706176670245693DD9BEB2F2E33B77D"}, // the ring index wraps
    };
    for (const LmdCase &c : cases)
        EXPECT_EQ(LmdDigest(c.keyText).toHex().toUpper(), QByteArray(c.keyHex)) << c.keyText.left(20).constData();
}

TEST(Password, CipherTextsMatchTheVectorsBothWays)
{
    const CipherCase cases[] = {
        {"49439445B5D46601C98CD1FF8D30C833", "", "FURlmdf35q8="},
        {"49439445B5D46601C98CD1FF8D30C833", "78", "ChDdhRn5ZA4="},
        {"49439445B5D46601C98CD1FF8D30C833", "6861736C6F313233", "dB25BeGaElQVRGWZ1/fmrw=="},
        {"49439445B5D46601C98CD1FF8D30C833", "6861736C6F31323334", "dB25BeGaElRNPR8Pwy5Eng=="},
        {"3C3543B57327FEE80F7CAEB938F2109B", "486173B36F3A20BFF3B3E620A5CA8C", "aNSOAvOuw63ntOKUBMLWeA=="},
    };
    for (const CipherCase &c : cases) {
        const QByteArray key = Hex(c.keyHex), plain = Hex(c.plainHex);
        EXPECT_EQ(EncipherText(key, plain), QLatin1String(c.cipher));
        EXPECT_EQ(DecipherText(key, QLatin1String(c.cipher)).toHex().toUpper(), QByteArray(c.plainHex));
    }
    // 8 plain bytes take a whole padding block (24 characters); 7 fit one block (12).
    EXPECT_EQ(EncipherText(kKey, "12345678").size(), 24);
    EXPECT_EQ(EncipherText(kKey, "1234567").size(), 12);
}

TEST(Password, BlocksAreLittleEndianWordsOfStandardBlowfish)
{
    struct Block
    {
        const char *plain, *cipher;
    };
    // The blocks as enciphered: the last one carries the count of its bytes.
    const Block blocks[] = {
        {"0000000000000000", "15446599D7F7E6AF"},
        {"0123456789ABCDEF", "33B3B629169B8C37"},
        {"6861736C6F313207", "63677E412E9E9997"},
    };
    for (const Block &b : blocks) {
        // Enciphering the block's bytes as whole plain text puts it first.
        QByteArray plain = Hex(b.plain);
        if (uchar(plain.back()) < 8)
            plain.truncate(plain.back());
        const QByteArray out = QByteArray::fromBase64(EncipherText(kKey, plain).toLatin1());
        EXPECT_EQ(out.left(8).toHex().toUpper(), QByteArray(b.cipher)) << b.plain;
    }
}

TEST(Password, MalformedCipherTextsGiveTheirErrors)
{
    struct Bad
    {
        const char *text, *error;
    };
    const Bad cases[] = {
        {"", "Invalid file format"},                  // fewer than 8 bytes
        {"AAAA AAAAAAA", "Invalid Base64 Character"}, // below '+'
        {"AAAAAAAAAAA{", "Invalid Base64 Character"}, // above 'z'
        {"AAAAAAAAAAA-", "Invalid Base64 Character"}, // inside the range, not base64
        {"AAAA=AAAAAAA", "Invalid Base64 Character"}, // padding inside the text
        {"odPanbRETI4=", "Invalid file format"},      // the count byte says 9
        {"AAAAAAAAAAA", "Invalid file format"},       // no whole quartets
        {"AAAAAAAAAAAAAAAA", "Invalid file format"},  // 12 bytes: no whole blocks
    };
    for (const Bad &c : cases) {
        try {
            DecipherText(kKey, QLatin1String(c.text));
            ADD_FAILURE() << "no error for '" << c.text << "'";
        } catch (const ECipherTextError &e) {
            EXPECT_EQ(e.message(), QLatin1String(c.error)) << c.text;
        }
    }
}

TEST(Password, Windows1250CoversThePolishLettersAndMarksTheRest)
{
    const QString polish = QStringLiteral("ĄĆĘŁŃÓŚŹŻąćęłńóśźż€");
    EXPECT_EQ(FromWindows1250(ToWindows1250(polish)), polish);
    EXPECT_EQ(ToWindows1250(QStringLiteral("Hasło: żółć ĄĘŚ")), Hex("486173B36F3A20BFF3B3E620A5CA8C"));
    EXPECT_EQ(ToWindows1250(QStringLiteral("日x")), QByteArray("?x"));
}

TEST(Password, DecryptsThroughTheKeyLibrary)
{
    test::EnsureApplication(); // the library is looked for beside the program
    ScopedKeyFile key(kKeyText);
    ScopedKeyLibraryMessages messages;
    EXPECT_EQ(DecryptPassword(QStringLiteral("dB25BeGaElQVRGWZ1/fmrw==")), QStringLiteral("haslo123"));
    EXPECT_EQ(DecryptPassword(QStringLiteral("FURlmdf35q8=")), QString());

    ScopedKeyFile polishKey("Zażółć gęślą jaźń");
    EXPECT_EQ(DecryptPassword(QStringLiteral("aNSOAvOuw63ntOKUBMLWeA==")), QStringLiteral("Hasło: żółć ĄĘŚ"));
    QString cipher, plain;
    ASSERT_TRUE(TryEncryptPassword(QStringLiteral("Zażółć"), cipher));
    ASSERT_TRUE(TryDecryptPassword(cipher, plain));
    EXPECT_EQ(plain, QStringLiteral("Zażółć"));
    EXPECT_TRUE(messages.shown.isEmpty());

    EXPECT_THROW(DecryptPassword(QStringLiteral("AAAAAAAAAAA-")), ECipherTextError);
}

TEST(Password, MissingKeyFileShowsTheMessageAndGivesEmpty)
{
    test::EnsureApplication();
    QTemporaryDir dir;
    qputenv("PELK_KEY_FILE", QFile::encodeName(dir.filePath(QStringLiteral("absent.key"))));
    ScopedKeyLibraryMessages messages;
    QString plain = QStringLiteral("stale");
    EXPECT_FALSE(TryDecryptPassword(QStringLiteral("dB25BeGaElQVRGWZ1/fmrw=="), plain));
    EXPECT_TRUE(plain.isEmpty());
    // The library is consulted before the text is read: no error for a malformed text either.
    EXPECT_EQ(DecryptPassword(QStringLiteral("not base64!")), QString());
    EXPECT_EQ(messages.shown, QStringList({kLibraryMessage, kLibraryMessage}));
    qunsetenv("PELK_KEY_FILE");
}

namespace {

struct ToolResult
{
    int exitCode;
    QString out, err;
};

ToolResult RunTool(const QString &program, const QStringList &args, const QByteArray &input = QByteArray(),
                   const QString &workingFolder = QString())
{
    QProcess p;
    p.setWorkingDirectory(workingFolder);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(PasswordTool, EnciphersAndDeciphersOneLine)
{
    ScopedKeyFile key(kKeyText);
    const ToolResult enc = RunTool(QStringLiteral(PELK_PASSWORD_TOOL), {"encipher", "haslo123"});
    EXPECT_EQ(enc.exitCode, 0);
    EXPECT_EQ(enc.out, QStringLiteral("dB25BeGaElQVRGWZ1/fmrw==\n"));
    const ToolResult dec = RunTool(QStringLiteral(PELK_PASSWORD_TOOL), {"decipher", "dB25BeGaElRNPR8Pwy5Eng=="});
    EXPECT_EQ(dec.exitCode, 0);
    EXPECT_EQ(dec.out, QStringLiteral("haslo1234\n"));

    // The plain text from standard input (off the command line): without a text or as "-",
    // one line without its line end.
    for (const QStringList &args : {QStringList{"encipher"}, QStringList{"encipher", "-"}}) {
        const ToolResult piped = RunTool(QStringLiteral(PELK_PASSWORD_TOOL), args, "haslo123\r\nreszta\n");
        EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
        EXPECT_EQ(piped.out, QStringLiteral("dB25BeGaElQVRGWZ1/fmrw==\n"));
    }
    EXPECT_EQ(RunTool(QStringLiteral(PELK_PASSWORD_TOOL), {"decipher"}).exitCode, 2);

    const ToolResult bad = RunTool(QStringLiteral(PELK_PASSWORD_TOOL), {"decipher", "AAAAAAAAAAA{"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_EQ(bad.err, QStringLiteral("Invalid Base64 Character\n"));
}

TEST(PasswordTool, WithoutItsLibraryReportsAndFails)
{
    ScopedKeyFile key(kKeyText);
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("pelk-password"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELK_PASSWORD_TOOL), copy));
    // A library of that name in the current folder is never taken instead (planted there by
    // anybody who may write to it).
    QTemporaryDir planted;
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(PELK_PASSWORD_TOOL)).dir().filePath(QStringLiteral("libTransakcje.so")),
                            planted.filePath(QStringLiteral("libTransakcje.so"))));
    const ToolResult r = RunTool(copy, {"encipher", "x"}, QByteArray(), planted.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, QStringLiteral("Błąd ładowania biblioteki Transakcje.dll\n"));
}

TEST(Password, AKeyFileOthersMayReadIsReported)
{
    ScopedKeyFile key(kKeyText);
    QFile::setPermissions(key.Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_TRUE(KeyFileExposure().contains(key.Path() + QStringLiteral(" mogą czytać inni użytkownicy (prawa 644)")))
        << KeyFileExposure().toStdString();
    QFile::setPermissions(key.Path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(KeyFileExposure(), QString());
}
