// The one guard around event handlers: what an action raises is shown, never passed on, and the
// text of every exception is read one way (UTF-8).
#include "util/guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Guard, ShowsTheTextOfWhatTheActionRaisesAndPassesNothingOn)
{
    const QString umlaut = QString::fromUtf8("L\xC3\xA4nge \xE2\x89\xA4 0");  // "Länge ≤ 0"
    struct {
        const char* name;
        std::function<void()> action;
        QString expected;
    } cases[] = {
        {"program exception", [&] { throw EInOutError(umlaut); }, umlaut},
        {"standard exception, UTF-8 text", [&] { throw std::runtime_error(umlaut.toUtf8().toStdString()); }, umlaut},
        {"standard library's own", [] { throw std::out_of_range("vector::at"); }, QStringLiteral("vector::at")},
    };
    for (const auto& c : cases) {
        QStringList shown;
        bool ran = true;
        EXPECT_NO_THROW(ran = Guard::Run(c.action, [&](const QString& text) { shown << text; })) << c.name;
        EXPECT_FALSE(ran) << c.name;
        EXPECT_EQ(shown, QStringList{c.expected}) << c.name;
    }
}

TEST(Guard, AnActionThatRaisesNothingShowsNothing)
{
    int calls = 0, shown = 0;
    EXPECT_TRUE(Guard::Run([&] { ++calls; }, [&](const QString&) { ++shown; }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(shown, 0);
}

}  // namespace
