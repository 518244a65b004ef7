// The reader fixture itself, on the small readers of GRAV and TITL.
#include <gtest/gtest.h>

#include "reader_fixture.h"
#include "readers.h"
#include "state.h"

TEST(ReaderFixture, GravityEchoAndUnitSystem) {
  struct C {
    const char* deck;
    int system;
    const char* line;
  } cases[] = {
      {"32.2\n", 1, " GRAVITATIONAL CONSTANT SET TO  32.20 ft/s**2"},
      {"9.8\n", 2, " GRAVITATIONAL CONSTANT SET TO   9.80 m/s**2 "},
      {"10.0\n", 2, " GRAVITATIONAL CONSTANT SET TO  10.00 m/s**2 "},
  };
  for (const C& c : cases) {
    harness::ReaderFixture f(c.deck);
    eng::READ_GRAVITY();
    EXPECT_EQ(eng::g.run.unit_system, c.system);
    const auto lines = f.report_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], c.line);
    EXPECT_EQ(lines[3], " " + std::string(44, '*'));
  }
}
