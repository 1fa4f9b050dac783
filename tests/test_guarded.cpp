// The one catch-and-log path: the operation's name from its signature, the logged lines, and
// what passes through.
#include "app/Guarded.h"
#include "app/Log.h"
#include "config/Errors.h"
#include "support/RecordingLogView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace pelk;

namespace {

struct SignatureCase
{
    const char *signature;
    const char *operation;
};

// The case as the test list names it.
void PrintTo(const SignatureCase &c, std::ostream *os)
{
    *os << c.operation;
}

class OperationName : public ::testing::TestWithParam<SignatureCase>
{};

TEST_P(OperationName, IsClassDotMethod)
{
    EXPECT_EQ(Where::OperationName(GetParam().signature), QString::fromLatin1(GetParam().operation));
}

INSTANTIATE_TEST_SUITE_P(Signatures, OperationName,
                         ::testing::Values(SignatureCase{"bool pelk::TPelk_Obiekt::SaveObjectData(pelk::RObiekt&)",
                                                         "TPelk_Obiekt.SaveObjectData"},
                                           SignatureCase{"bool pelk::TObjectListQueue::FindFile()", "TObjectListQueue.FindFile"},
                                           SignatureCase{"virtual bool pelk::TZamer_Klient::LoadObjectData(pelk::RObiekt&)",
                                                         "TZamer_Klient.LoadObjectData"},
                                           SignatureCase{"void pelk::TQueue::Execute()", "TQueue.Execute"},
                                           SignatureCase{"bool pelk::gps::TDecoder::Consume(int) const", "TDecoder.Consume"},
                                           SignatureCase{"static QString Fun::Run(const QList<QPair<int, int> >&)", "Fun.Run"},
                                           SignatureCase{"int main(int, char**)", "main"}));

class GuardedTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        log.SetTraceLevel(3);
        log.SetView(&view);
    }
    QStringList Lines()
    {
        QStringList out;
        for (const auto &m : view.Take())
            out += m.lines;
        return out;
    }
    TLog log;
    test::RecordingLogView view;
};

} // namespace

struct TModul
{
    static bool Operacja(TLog &log)
    {
        return Guarded(log, PELK_HERE, []() -> bool { throw EConvertError(QStringLiteral("'x' is not a valid integer value")); });
    }
};

TEST_F(GuardedTest, AnExceptionIsLoggedUnderItsOperationAndGivesFalse)
{
    EXPECT_FALSE(TModul::Operacja(log));
    EXPECT_EQ(
        Lines(),
        QStringList({QStringLiteral(" Wyjątek funkcji TModul.Operacja"), QStringLiteral(" 'x' is not a valid integer value")}));

    // An explicit heading with a line of detail (a statement), and a class known at run time.
    EXPECT_FALSE(Guarded(log,
                         Where::Heading(QStringLiteral(" Wyjątek funkcji TDM_Main.ExecSQLQuery"), QStringLiteral("select 1")),
                         []() -> bool { throw std::runtime_error("locked"); }));
    EXPECT_EQ(Lines(),
              QStringList({QStringLiteral(" Wyjątek funkcji TDM_Main.ExecSQLQuery"), QStringLiteral("select 1"),
                           QStringLiteral(" locked")}));
    EXPECT_FALSE(Guarded(log, Where::Of(QStringLiteral("TPelk_Obiekt"), "LoadFromXML "),
                         []() -> bool { throw Exception(QStringLiteral("x")); }));
    EXPECT_EQ(Lines().value(0), QStringLiteral(" Wyjątek funkcji TPelk_Obiekt.LoadFromXML "));

    // Success passes its result; without a log nothing is written; other throws pass through.
    EXPECT_TRUE(Guarded(log, PELK_HERE, [] { return true; }));
    EXPECT_FALSE(Guarded(nullptr, PELK_HERE, []() -> bool { throw Exception(QStringLiteral("cicho")); }));
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_THROW(Guarded(log, PELK_HERE, []() -> bool { throw 7; }), int);
}
