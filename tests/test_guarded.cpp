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

// A signature in one compiler's layout: GCC's or clang's __PRETTY_FUNCTION__, or __FUNCSIG__ of
// the Microsoft compiler (calling convention, "class"/"struct" in types, templates with spaces)
// or of clang in its mode.
struct SignatureCase
{
    const char *name;
    const char *signature;
    const char *operation;
};

// The case as the test list names it.
void PrintTo(const SignatureCase &c, std::ostream *os)
{
    *os << c.name;
}

class OperationName : public ::testing::TestWithParam<SignatureCase>
{};

TEST_P(OperationName, IsClassDotMethodInEitherCompilersLayout)
{
    EXPECT_EQ(Where::OperationName(GetParam().signature), QString::fromLatin1(GetParam().operation));
}

INSTANTIATE_TEST_SUITE_P(
    Signatures, OperationName,
    ::testing::Values(
        SignatureCase{"Gcc_Member", "bool pelk::TPelk_Obiekt::SaveObjectData(pelk::RObiekt&)", "TPelk_Obiekt.SaveObjectData"},
        SignatureCase{"Msvc_Member", "bool __cdecl pelk::TPelk_Obiekt::SaveObjectData(struct pelk::RObiekt &)",
                      "TPelk_Obiekt.SaveObjectData"},
        SignatureCase{"Gcc_Virtual", "virtual bool pelk::TZamer_Klient::LoadObjectData(pelk::RObiekt&)",
                      "TZamer_Klient.LoadObjectData"},
        SignatureCase{"Gcc_Void", "void pelk::TQueue::Execute()", "TQueue.Execute"},
        SignatureCase{"Msvc_Void", "void __thiscall pelk::TQueue::Execute(void)", "TQueue.Execute"},
        SignatureCase{"Gcc_ConstNested", "bool pelk::gps::TDecoder::Consume(int) const", "TDecoder.Consume"},
        SignatureCase{"Msvc_ConstNested", "bool __thiscall pelk::gps::TDecoder::Consume(int) const", "TDecoder.Consume"},
        SignatureCase{"Gcc_StaticTemplateArgs", "static QString Fun::Run(const QList<QPair<int, int> >&)", "Fun.Run"},
        SignatureCase{"Msvc_ClassReturnType", "class QString __cdecl Fun::Run(const class QList<struct QPair<int,int> > &)",
                      "Fun.Run"},
        SignatureCase{"Gcc_ClassTemplate", "bool pelk::TKolejka<T>::Run() [with T = pelk::TElement]", "TKolejka.Run"},
        SignatureCase{"Clang_ClassTemplate", "bool pelk::TKolejka<pelk::TElement>::Run() [T = pelk::TElement]", "TKolejka.Run"},
        SignatureCase{"Msvc_ClassTemplate", "bool __cdecl pelk::TKolejka<class pelk::TElement>::Run(void)", "TKolejka.Run"},
        SignatureCase{"Gcc_AnonymousNamespace", "bool {anonymous}::Zapisz(int)", "{anonymous}.Zapisz"},
        SignatureCase{"Clang_AnonymousNamespace", "bool (anonymous namespace)::Zapisz(int)", "{anonymous}.Zapisz"},
        SignatureCase{"Msvc_AnonymousNamespace", "bool __cdecl `anonymous namespace'::Zapisz(int)", "{anonymous}.Zapisz"},
        SignatureCase{"Gcc_ClassInAnonymousNamespace", "static bool {anonymous}::TModul::Zapisz()", "TModul.Zapisz"},
        SignatureCase{"Clang_ClassInAnonymousNamespace", "static bool (anonymous namespace)::TModul::Zapisz()", "TModul.Zapisz"},
        SignatureCase{"ClangCl_ClassInAnonymousNamespace", "static bool __cdecl (anonymous namespace)::TModul::Zapisz(void)",
                      "TModul.Zapisz"},
        SignatureCase{"Msvc_ClassInAnonymousNamespace", "bool __cdecl `anonymous-namespace'::TModul::Zapisz(void)",
                      "TModul.Zapisz"},
        SignatureCase{"Gcc_Free", "int main(int, char**)", "main"},
        SignatureCase{"Msvc_Free", "int __cdecl main(int,char **)", "main"}),
    [](const auto &info) { return std::string(info.param.name); });

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
