#include "util/dynlib.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdint>
#include <functional>

namespace {

QString MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EDLLError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

TEST(TDynamicLibrary, OpenLookUpAndClose)
{
    TDynamicLibrary lib;
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(MessageOf([&] { lib.GetProc("probe_twice"); }), "Library is not open");
    lib.SetLibraryName(PROBE_LIB_PATH);
    EXPECT_FALSE(lib.IsOpen());  // naming does not load
    lib.Open();
    ASSERT_TRUE(lib.IsOpen());
    auto twice = reinterpret_cast<int (*)(int)>(lib.GetProc("probe_twice"));
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice(21), 42);
    EXPECT_EQ(lib.GetProc("no_such_entry"), nullptr);

    auto loads = reinterpret_cast<int (*)()>(lib.GetProc("probe_load_count"));
    ASSERT_NE(loads, nullptr);
    EXPECT_EQ(loads(), 1);
    lib.Open();  // already loaded: not loaded again
    EXPECT_EQ(reinterpret_cast<int (*)()>(lib.GetProc("probe_load_count")), loads);

    lib.SetLibraryName(PROBE_LIB_PATH);  // a new name releases the library
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(MessageOf([&] { lib.GetProc("probe_twice"); }), "Library is not open");
    EXPECT_FALSE(lib.Close());
}

TEST(TDynamicLibrary, MissingFileIsNotLocated)
{
    TDynamicLibrary lib;
    lib.SetLibraryName(QStringLiteral(TEST_TMP_DIR "/no/such/libtremcalc.so"));
    EXPECT_EQ(MessageOf([&] { lib.Open(); }), "Library could not be located");
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(MessageOf([&] { lib.GetProc("ITREMX"); }), "Library is not open");
}

TEST(TDynamicLibrary, UnresolvedLibraryFailsToInitialize)
{
    TDynamicLibrary lib;
    lib.SetLibraryName(UNRESOLVED_LIB_PATH);
    try {
        lib.Open();
        FAIL() << "loaded";
    } catch (const EInitError& e) {
        EXPECT_EQ(e.message(), "Library failed to properly initialize");
    }
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_FALSE(lib.LastLoadError().isEmpty());
    // The object may be opened again once it names a good library.
    lib.SetLibraryName(PROBE_LIB_PATH);
    lib.Open();
    EXPECT_TRUE(lib.IsOpen());
}

TEST(TDynamicLibrary, FileThatIsNoLibraryStaysClosedSilently)
{
    QDir().mkpath(TEST_TMP_DIR);
    const QString path = QStringLiteral(TEST_TMP_DIR "/notalibrary.so");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("this is text, not a shared object\n");
    f.close();
    TDynamicLibrary lib;
    lib.SetLibraryName(path);
    EXPECT_NO_THROW(lib.Open());
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(MessageOf([&] { lib.GetProc("ITREMX"); }), "Library is not open");
    // An empty name never binds the program itself.
    lib.SetLibraryName(QString());
    EXPECT_NO_THROW(lib.Open());
    EXPECT_FALSE(lib.IsOpen());
}

// The engine library, bound the way a run binds it; an argument other than 13 returns 1 at once.
TEST(TDynamicLibrary, RealEngineLibrary)
{
    if (!QFile::exists(TREMCALC_PATH)) GTEST_SKIP() << "the engine library is not built";
    TDynamicLibrary lib;
    lib.SetLibraryName(TREMCALC_PATH);
    lib.Open();
    ASSERT_TRUE(lib.IsOpen());
    using Entry = int32_t (*)(int32_t);
    auto entry = reinterpret_cast<Entry>(lib.GetProc("_ITREMX"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(reinterpret_cast<Entry>(lib.GetProc("ITREMX")), entry);
    EXPECT_EQ(entry(0), 1);
    EXPECT_EQ(entry(12), 1);
    EXPECT_EQ(lib.GetProc("READIT_not_exported"), nullptr);
    EXPECT_FALSE(lib.Close());
    EXPECT_FALSE(lib.IsOpen());
}

}  // namespace
