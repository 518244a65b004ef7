// The FOUN block: READ_FOUNDATION with its geometry, constants, element and
// batter readers.  Decks start after the FOUN keyword (the keyword loop has
// read it); expected report lines are written out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "prepass.h"
#include "read_foundation.h"
#include "reader_fixture.h"
#include "readers.h"
#include "state.h"

namespace {

using Lines = std::vector<std::string>;

std::string stars(int n) { return " " + std::string(static_cast<std::size_t>(n), '*'); }

// A fixture with the unit labels of one system set, as GRAV sets them.
struct Deck {
  harness::ReaderFixture fx;
  explicit Deck(const std::string& deck, int unit_system = 2) : fx(deck) {
    eng::g.run.unit_system = unit_system;
    eng::SET_UNIT_LABELS();
  }
  // The report without the echo of the MASS sub-block (another reader's).
  Lines report() {
    Lines l = fx.report_lines();
    for (std::size_t i = 2; i < l.size(); ++i)
      if (l[i] == " MASS CONSTANTS") {
        l.erase(l.begin() + static_cast<long>(i - 2), l.begin() + static_cast<long>(i + 10));
        break;
      }
    return l;
  }
};

// The word the keyword loop reads next ("EOF" at the end of the input).
std::string next_word() {
  std::string w;
  if (eng::read_word(w) <= 0) return "EOF";
  return w;
}

bool contains_block(const Lines& all, const Lines& block) {
  if (block.size() > all.size()) return false;
  for (std::size_t i = 0; i + block.size() <= all.size(); ++i)
    if (std::equal(block.begin(), block.end(), all.begin() + static_cast<long>(i))) return true;
  return false;
}

std::string dump(const Lines& l) {
  std::string s;
  for (const auto& x : l) s += "[" + x + "]\n";
  return s;
}

}  // namespace

TEST(ReadFoundation, HalfSpaceCircleEchoAndState) {
  Deck d("HALF-SPACE\nCIRCULAR=5\nMASS \n1 2 3 4 5 6 7\nCONSTANTS \n0.5 -0.25 1.2 \nSOIL \n");
  eng::READ_FOUNDATION();
  const Lines expected = {
      "", "", " FOUNDATION TYPE - HALF-SPACE", stars(15),
      "", "", " CIRCULAR FOUNDATION  -  RADIUS =    5.000 m ", stars(19),
      "", "", " HALF-SPACE FOUNDATION", stars(21), "",
      " X-LOCATION CENTRE OF GRAV  .....     0.50000 m ",
      " Y-LOCATION CENTRE OF GRAV  .....    -0.25000 m ",
      " HEIGHT OF CENTRE OF GRAV  ......     1.20000 m ",
  };
  EXPECT_EQ(d.report(), expected);
  const eng::RunState& r = eng::g.run;
  const eng::FoundationData& f = eng::g.foundation;
  EXPECT_EQ(r.foundation_type, 2);
  EXPECT_EQ(r.geometry, 1);
  EXPECT_EQ(r.soil_profile, 1);
  EXPECT_EQ(r.fatal, 0);
  EXPECT_EQ(r.n_layers, 0);
  EXPECT_FLOAT_EQ(f.radius, 5.0f);
  for (float v : {f.r_translation, f.r_rock_x, f.r_rock_y, f.r_torsion}) EXPECT_FLOAT_EQ(v, 5.0f);
  EXPECT_FLOAT_EQ(eng::g.mass.m[6], 7.0f);
  EXPECT_FLOAT_EQ(f.zc, 1.2f);
  EXPECT_EQ(next_word(), "SOIL");
}

// Equivalent radii of a 4 by 2 rectangle against the closed-form formulas.
TEST(ReadFoundation, RectangleEquivalentRadii) {
  const double pi = 3.14159, a = 4.0, b = 2.0;
  const double trans = std::sqrt(a * b / pi);
  const double rx = std::pow(b * b * b * a / (3 * pi), 0.25);
  const double ry = std::pow(a * a * a * b / (3 * pi), 0.25);
  const double rt = std::pow((a * a + b * b) * a * b / (6 * pi), 0.25);
  const std::string rect_line = " RECTANGULAR FOUNDATION  -     4.000 m   BY    2.000 m ";

  {
    Deck d("HALF\nRECTANGULAR=4,2\nMASS\n0 0 0 0 0 0 0\nCONS\n0 0 0\n");
    eng::READ_FOUNDATION();
    const eng::FoundationData& f = eng::g.foundation;
    EXPECT_NEAR(f.r_translation, trans, 1e-5);
    EXPECT_NEAR(f.r_rock_x, rx, 1e-5);
    EXPECT_NEAR(f.r_rock_y, ry, 1e-5);
    EXPECT_NEAR(f.r_torsion, rt, 1e-5);
    EXPECT_EQ(f.radius, 0.0f);  // not set for a rectangle on a half-space
    EXPECT_FLOAT_EQ(f.side_x, 4.0f);
    EXPECT_FLOAT_EQ(f.side_y, 2.0f);
    EXPECT_TRUE(contains_block(d.report(), {"", "", rect_line, stars(22)}));
  }
  {
    Deck d("STRATUM\nRECTANGULAR=4,2\nMASS\n0 0 0 0 0 0 0\nCONS\n0 0 0.5 1 4\nSOIL\n");
    eng::READ_FOUNDATION();
    const eng::FoundationData& f = eng::g.foundation;
    EXPECT_NEAR(f.rs_vertical, trans, 1e-5);
    EXPECT_NEAR(f.rs_horizontal, trans, 1e-5);
    EXPECT_NEAR(f.rs_rock_x, rx, 1e-5);
    EXPECT_NEAR(f.rs_rock_y, ry, 1e-5);
    EXPECT_NEAR(f.rs_torsion, rt, 1e-5);
    const double mean = (2 * trans + rx + ry + rt) / 5;
    EXPECT_NEAR(f.radius, mean, 1e-5);
    EXPECT_NEAR(f.e_over_r, 1.0 / mean, 1e-5);
    EXPECT_NEAR(f.e_over_h, 0.25, 1e-6);
    EXPECT_NEAR(f.r_over_h, mean / 4, 1e-5);
    EXPECT_EQ(eng::g.run.fatal, 0);
    const Lines expected = {
        "", "", " FOUNDATION TYPE - STRATUM", stars(15),
        "", "", rect_line, stars(22),
        "", "", " STRATUM PROPERTIES", stars(18), "",
        " X-LOCATION CENTRE OF GRAV  .....     0.00000 m ",
        " Y-LOCATION CENTRE OF GRAV  .....     0.00000 m ",
        " HEIGHT OF CENTRE OF GRAV  ......     0.50000 m ",
        " DEPTH OF EMBEDMENT  ............     1.00000 m ",
        " DEPTH OF LAYER  ................     4.00000 m ",
    };
    EXPECT_EQ(d.report(), expected);
    EXPECT_EQ(next_word(), "SOIL");
  }
}

TEST(ReadFoundation, PileGroupEchoAndTables) {
  Deck d(
      "PILE\nRECTANGULAR=4,2\nMASS \n10 1 2 3 0 0 0\nLAYERS=2\nPINNED=2\n1 0 0 \n2 1.5 -1.5 \n"
      "CONSTANTS \n0.25 -0.5 1 20 24 \n500 0.25 0.05 0.6 2.5E7\n"
      "ELEMENT\n1 10 0.3 0.3 0.2827 0.00636 0.00636 0.01272\n2 10 0.3 0.4 0.3770 0.00848 0.0151 0.02036\n"
      "END-BEARING\nBATTERED\n1 XZ\n10 \n2 YZ\n-5 \nINTERACTION \nFLOATING\nSOIL \n");
  eng::READ_FOUNDATION();
  const Lines expected = {
      "", "", " FOUNDATION TYPE - PILE", stars(15),
      "", "", " RECTANGULAR FOUNDATION  -     4.000 m   BY    2.000 m ", stars(22),
      "", "", " NUMBER OF LAYERS OR ELEMENTS -   2", stars(28),
      "", "", " PILES ARE PINNED AT BUTT", stars(24),
      "", "", " LOCATION OF PILES", stars(17), "",
      " PILE       X           Y",
      "  NO.     LOCATION    LOCATION",
      "             m            m ",
      "   1        0.000       0.000",
      "   2        1.500      -1.500",
      "", "", " PILE PROPERTIES", stars(15), "",
      " X-LOCATION CENTRE OF GRAV.  ....     0.25000 m ",
      " Y-LOCATION CENTRE OF GRAV.  ....    -0.50000 m ",
      " HEIGHT OF CENTRE OF GRAV.  .....     1.00000 m ",
      " TOTAL LENGTH  ..................    20.00000 m ",
      " UNIT WEIGHT  ...................    24.00000 kN/m**3 ",
      " STATIC LOAD ON BODY  ........... 5.00000E+02 kN.",
      " POISSONS RATIO  ...............      0.25000",
      " MATERIAL DAMPING  ..............     0.05000",
      " COEFF. OF RIGIDITY  ............     0.60000",
      " YOUNGS MODULUS  ...............  2.50000E+07 kPa",
      "", "", " ELEMENT", stars(7), "",
      " LAYER  LAYER   PILE    PILE     CROSS    MOMENT OF  MOMENT OF  TORSIONAL",
      "  NO.   DEPTH  RADIUS  RADIUS  SECTIONAL   INERTIA    INERTIA   STIFFNESS",
      "                 (X)     (Y)      AREA       '(X)      (Y)",
      "          m       m      m        m**2       m**4       m**4       m**4 ",
      "   1   10.000  0.300   0.300   2.827E-01  6.360E-03  6.360E-03   1.27E-02",
      "   2   10.000  0.300   0.400   3.770E-01  8.480E-03  1.510E-02   2.04E-02",
      "", "", " PILE TIP CONDITION : END-BEARING", stars(32),
      "", "", " BATTERED PILES", stars(14), "", "",
      " PILE NO.  1 BATTERED IN XZ PLANE",
      " ANGLE BETWEEN PILE AND VERTICAL =   10.00 deg.",
      " PILE NO.  2 BATTERED IN YZ PLANE",
      " ANGLE BETWEEN PILE AND VERTICAL =   -5.00 deg.",
  };
  const Lines got = d.report();
  EXPECT_EQ(got, expected) << dump(got);

  const eng::RunState& r = eng::g.run;
  const eng::FoundationData& f = eng::g.foundation;
  EXPECT_EQ(r.fatal, 0);
  EXPECT_EQ(r.foundation_type, 1);
  EXPECT_EQ(r.geometry, 2);
  EXPECT_EQ(r.soil_profile, 1);
  EXPECT_EQ(r.n_layers, 2);
  EXPECT_EQ(r.n_piles, 2);
  EXPECT_EQ(r.head_fixity, 0);
  EXPECT_EQ(f.head_fixity_value, 0.0f);
  EXPECT_EQ(r.pile_tip, 1);
  EXPECT_EQ(r.battered, 1);
  EXPECT_EQ(r.interaction, 1);
  EXPECT_FLOAT_EQ(f.pile_number[1], 2.0f);
  EXPECT_FLOAT_EQ(f.pile_x[1], 1.5f);
  EXPECT_FLOAT_EQ(f.pile_y[1], -1.5f);
  EXPECT_FLOAT_EQ(f.youngs_modulus, 2.5e7f);
  EXPECT_FLOAT_EQ(f.layer_depth[1], 10.0f);
  EXPECT_FLOAT_EQ(f.radius_y[1], 0.4f);
  EXPECT_FLOAT_EQ(f.torsional_stiffness[1], 0.02036f);
  const float xz[9] = {10, 90, 100, 90, 0, 90, 80, 90, 10};
  const float yz[9] = {0, 90, 90, 90, -5, 85, 90, 95, -5};
  for (int k = 0; k < 9; ++k) {
    EXPECT_FLOAT_EQ(f.direction_angles[0][k], xz[k]) << k;
    EXPECT_FLOAT_EQ(f.direction_angles[1][k], yz[k]) << k;
  }
  EXPECT_EQ(next_word(), "SOIL");
}

// English labels, of other widths than the SI ones; a multilayer shaft is
// always fixed and ends after its tip word.
TEST(ReadFoundation, MultilayerEchoInEnglishUnits) {
  Deck d("MULTILAYER\nCIRCULAR=1.5\nMASS\n1 1 1 1 0 0 0\nLAYER=1\nCONSTANTS\n0 0 0.5 6 23.5\n"
         "100 0.2 0.02 0.8 3E7\nELEMENT\n1 6 1.5 1.5 7.069 3.976 3.976 7.952\nFLOATING\nBATTERED\n",
         1);
  eng::READ_FOUNDATION();
  const Lines expected = {
      "", "", " FOUNDATION TYPE - MULTILAYER", stars(15),
      "", "", " CIRCULAR FOUNDATION  -  RADIUS =    1.500 ft", stars(19),
      "", "", " NUMBER OF LAYERS OR ELEMENTS -   1", stars(28),
      "", "", " FOUNDATION PROPERTIES", stars(21), "",
      " X-LOCATION CENTRE OF GRAV.  ....     0.00000 ft",
      " Y-LOCATION CENTRE OF GRAV.  ....     0.00000 ft",
      " HEIGHT OF CENTRE OF GRAV.  .....     0.50000 ft",
      " TOTAL LENGTH  ..................     6.00000 ft",
      " UNIT WEIGHT  ...................    23.50000 lb/ft**3",
      " STATIC LOAD ON BODY  ........... 1.00000E+02 lb ",
      " POISSONS RATIO  ...............      0.20000",
      " MATERIAL DAMPING  ..............     0.02000",
      " COEFF. OF RIGIDITY  ............     0.80000",
      " YOUNGS MODULUS  ...............  3.00000E+07 psf",
      "", "", " ELEMENT", stars(7), "",
      " LAYER  LAYER   PILE    PILE     CROSS    MOMENT OF  MOMENT OF  TORSIONAL",
      "  NO.   DEPTH  RADIUS  RADIUS  SECTIONAL   INERTIA    INERTIA   STIFFNESS",
      "                 (X)     (Y)      AREA       '(X)      (Y)",
      "          ft      ft     ft       ft**2      ft**4      ft**4      ft**4",
      "   1    6.000  1.500   1.500   7.069E+00  3.976E+00  3.976E+00   7.95E+00",
  };
  const Lines got = d.report();
  EXPECT_EQ(got, expected) << dump(got);
  const eng::FoundationData& f = eng::g.foundation;
  EXPECT_EQ(eng::g.run.foundation_type, 4);
  EXPECT_EQ(eng::g.run.head_fixity, 1);
  EXPECT_EQ(f.head_fixity_value, 1.0f);
  EXPECT_EQ(eng::g.run.n_piles, 0);
  for (float v : {f.r_translation, f.r_rock_x, f.r_rock_y, f.r_torsion}) EXPECT_FLOAT_EQ(v, 1.5f);
  EXPECT_EQ(next_word(), "BATT");  // not read by a multilayer block
}

TEST(ReadFoundation, ParabolicPileKeepsLayerCountAndReadsOneSection) {
  Deck d("PILE\nCIRC=0.5\nMASS\n0 0 0 0 0 0 0\nPARA\nFIXE=1\n1 0 0\nCONS\n0 0 0 15 24\n"
         "0 0.25 0.05 0.6 2E7\nELEM\n0.5 0.5 0.7854 0.0491 0.0491 0.0982\nSOIL\n");
  eng::g.run.n_layers = 7;
  eng::READ_FOUNDATION();
  const Lines got = d.report();
  EXPECT_TRUE(contains_block(got, {"", "", " SOIL MEDIA IS PARABOLIC", stars(23), "", "", " LOCATION OF PILES"}))
      << dump(got);
  EXPECT_TRUE(contains_block(got, {
                                      "", "", " ELEMENT", stars(7), "",
                                      " RADIUS OF PILE (X)  ............     0.50000",
                                      " RADIUS OF PILE (Y)  ............     0.50000",
                                      " CROSS SECTIONAL AREA  ..........     0.78540",
                                      " MOMENT OF INERTIA (X)  .........     0.04910",
                                      " MOMENT OF INERTIA (Y)  .........     0.04910",
                                      " TORSIONAL STIFFNESS  ...........     0.09820",
                                  }))
      << dump(got);
  EXPECT_EQ(eng::g.run.soil_profile, 2);
  EXPECT_EQ(eng::g.run.n_layers, 7);
  EXPECT_EQ(eng::g.run.head_fixity, 1);
  EXPECT_FLOAT_EQ(eng::g.foundation.torsional_stiffness[0], 0.0982f);
  EXPECT_EQ(eng::g.foundation.layer_depth[0], 0.0f);
  EXPECT_EQ(next_word(), "SOIL");
}

TEST(ReadFoundation, EchoOffWritesNothing) {
  Deck d("PILE\nRECT=4,2\nMASS\n1 0 0 0 0 0 0\nLAYE=1\nPINN=1\n1 0 0\nCONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\n"
         "ELEM\n1 10 0.3 0.3 0.28 0.006 0.006 0.012\nEND-\nBATT\n1 XZ\n5\nINTE\nSOIL\n");
  eng::g.run.echo = 0;
  eng::READ_FOUNDATION();
  EXPECT_TRUE(d.fx.report_lines().empty()) << d.fx.report_text();
  EXPECT_EQ(eng::g.run.battered, 1);
  EXPECT_EQ(eng::g.run.interaction, 1);
  EXPECT_EQ(eng::g.run.pile_tip, 1);
  EXPECT_EQ(next_word(), "SOIL");
}

// Every message, byte for byte, with the fatal-input flag it sets.  Echo off,
// so the report holds nothing but messages; `lines` must stand in it as one block.
TEST(ReadFoundation, ErrorMessages) {
  const std::string head = "PILE\nCIRC=1\nMASS\n0 0 0 0 0 0 0\n";
  const std::string piles = head + "LAYE=1\nFIXE=1\n1 0 0\n";
  const std::string elem = piles + "CONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\nELEM\n1 10 0.3 0.3 0.28 0.006 0.006 0.012\n";
  const std::string nwe = " PROGRAM WILL NOT EXECUTE";
  struct Case {
    std::string deck;
    Lines lines;
    int fatal;
  } cases[] = {
      {"SQUARE\n", {"", "", " UNRECOGNIZED KEYWORD - SQUA", "", "", " INVALID KEYWORD - SQUA FOR FOUNDATION TYPE", nwe}, 1},
      {"HALF\nSOIL\n", {"", "", " INVALID KEYWORD - SOIL FOR GEOMETRY TYPE", nwe}, 1},
      {"HALF\nCIRC=5\nCONS\n", {"", "", " INVALID KEYWORD - CONS FOR MASS INFORMATION", nwe}, 1},
      {head + "FIXE\n", {"", "", " INVALID KEYWORD - FIXE FOR SOIL MEDIA TYPE", nwe}, 1},
      {head + "LAYE\nFIXE\n", {"", "", " ERROR ENCOUNTERED WHILE READING NUMBER OF LAYERS", nwe}, 1},
      {head + "LAYE=31\n", {"", "", " ERROR - NUMBER OF LAYERS EXCEEDS 30", nwe}, 1},
      {head + "LAYE=0\n", {"", "", " ERROR - NUMBER OF LAYERS LESS THAN 1", nwe}, 1},
      {head + "LAYE=-3\n", {"", "", " ERROR - NUMBER OF LAYERS LESS THAN 1", nwe}, 1},
      {"MULT\nCIRC=1\nMASS\n0 0 0 0 0 0 0\nPARA\n",
       {"", "", " MULTILAYER FOUNDATION IS NOT ALLOWED A PARABOLIC SOIL MEDIA", nwe}, 1},
      {head + "LAYE=1\nHINGED\n",
       {"", "", " UNRECOGNIZED KEYWORD - HING", "", "", " INVALID KEYWORD - HING FOR FIXED OR PINNED INFOR   MATION", nwe}, 1},
      {head + "LAYE=1\nFIXE\nCONS\n", {"", "", " ERROR ENCOUNTERED WHILE READING NUMBER OF PILES", nwe}, 1},
      {head + "LAYE=1\nFIXE=501\n", {"", "", " ERROR - NUMBER OF PILES EXCEEDS 500", nwe}, 1},
      {head + "LAYE=1\nFIXE=0\n", {"", "", " ERROR - NUMBER OF PILES LESS THAN 1", nwe}, 1},
      {head + "LAYE=1\nFIXE=1\nCONS\n", {"", "", " ERROR ENCOUNTERED WHILE READING PILE NUMBER", nwe}, 1},
      {head + "LAYE=1\nFIXE=1\n1\nCONS\n", {"", "", " ERROR ENCOUNTERED WHILE READING PILE X-LOCATOR", nwe}, 1},
      {head + "LAYE=1\nFIXE=1\n1 0\nCONS\n", {"", "", " ERROR ENCOUNTERED WHILE READING PILE Y-LOCATOR", nwe}, 1},
      {piles + "ELEM\n", {"", "", " INVALID KEYWORD - ELEM FOR CONSTANT INFORMATION", nwe}, 1},
      {piles + "CONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\nEND-\n",
       {"", "", " INVALID KEYWORD - END- FOR ELEMENT INFORMATION", nwe}, 1},
      {"HALF\nCIRC=5\nMASS\n0 0 0 0 0 0 0\nCONS\n0 0\nSOIL\n",
       {"", "", " ERROR ENCOUNTERED WHILE READING CENTRE OF GRAVITY VARIABLES", nwe}, 1},
      {piles + "CONS\n0 0 0 10 24\nELEM\n", {"", "", " ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS", nwe}, 1},
      {"STRA\nCIRC=2\nMASS\n0 0 0 0 0 0 0\nCONS\n0 0 0 1\nSOIL\n",
       {"", "", " ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS", nwe}, 1},
      {piles + "CONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\nELEM\n1 10 0.3\nEND-\n",
       {"", "", " ERROR ENCOUNTERED WHILE READING ELEMENT DATA PR   OGRAM WILL NOT EXECUTE"}, 1},
      {"HALF\nCIRC\nMASS\n",
       {"", "  *** BAD DATA IN GEOMETRY DESCRIPTION ***", "         - WILL CONTINUE TO PROCESS DATA",
        "      - CANNOT EXECUTE  THIS PROBLEM SET"}, 1},
      {"HALF\nRECT=4,0\nMASS\n",
       {"", "  *** BAD DATA IN GEOMETRY DESCRIPTION ***", "         - WILL CONTINUE TO PROCESS DATA",
        "      - CANNOT EXECUTE  THIS PROBLEM SET"}, 1},
      {"STRA\nCIRC=2\nMASS\n0 0 0 0 0 0 0\nCONS\n0 0 0 3.2 8\n",
       {"", "", " THE STRATUM OPTION IS NOT GOOD FOR THIS CASE", " CHECK YOUR E/R,E/H,R/H VALUES"}, 1},
      {"HALF\nCIRC=5\nMASS\n1 2 3 4 5 6 7\n",
       {"", "", " INVALID KEYWORD -      FOR CONSTANT INFORMATION", nwe}, 1},
      // Battered-pile data are dropped, not fatal.
      {elem + "BATT\n1 XZ\n0\n",
       {"", "", " ANGLE BETWEEN PILE AND VERTICAL IS ZERO, THEREFORE THE PILE IS NOT BATTERED.",
        " BATTERED OPTION WILL BE IGNORED."}, 0},
      {elem + "BATT\n1 XY\n5\n",
       {"", "", " UNRECOGNIZED PLANEXY  FOR BATTERED PILES", " BATTERED OPTION WILL BE IGNORED."}, 0},
      {elem + "BATT\n1 XZ\nSOIL\n",
       {"", "", " ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA", " BATTERED OPTION WILL BE IGNORED."}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.deck);
    Deck d(c.deck);
    eng::g.run.echo = 0;
    eng::READ_FOUNDATION();
    const Lines got = d.fx.report_lines();
    EXPECT_TRUE(contains_block(got, c.lines)) << dump(got);
    EXPECT_EQ(eng::g.run.fatal, c.fatal);
    if (c.fatal == 0) {
      EXPECT_EQ(eng::g.run.battered, 0);
    }
  }
}

// Counts are rounded to the nearest integer, halves away from zero; refused
// counts leave the run state and the tables as they were.
TEST(ReadFoundation, CountLimits) {
  struct Case {
    float value;
    bool accepted;
    int count;
  } layer_cases[] = {{30.0f, true, 30}, {30.4f, false, 0}, {2.5f, true, 3}, {0.5f, true, 1},
                     {30.5f, false, 0}, {31.0f, false, 0}, {0.4f, false, 0}};
  for (const Case& c : layer_cases) {
    SCOPED_TRACE(c.value);
    const int n = c.accepted ? c.count : 0;
    std::string deck = "MULT\nCIRC=1\nMASS\n0 0 0 0 0 0 0\nLAYE=" + std::to_string(c.value) +
                       "\nCONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\nELEM\n";
    for (int i = 1; i <= n; ++i) deck += std::to_string(i) + " 1 0.3 0.3 0.28 0.006 0.006 0.012\n";
    deck += "SOIL\n";
    Deck d(deck);
    eng::g.run.echo = 0;
    eng::READ_FOUNDATION();
    EXPECT_EQ(eng::g.run.fatal, c.accepted ? 0 : 1);
    EXPECT_EQ(eng::g.run.n_layers, n);
    if (c.accepted) {
      EXPECT_EQ(next_word(), "SOIL");
      EXPECT_FLOAT_EQ(eng::g.foundation.layer_depth[n - 1], 1.0f);
    }
  }

  for (int piles : {500, 501}) {
    SCOPED_TRACE(piles);
    std::string deck = "PILE\nCIRC=1\nMASS\n0 0 0 0 0 0 0\nLAYE=1\nFIXE=" + std::to_string(piles) + "\n";
    for (int i = 1; i <= piles; ++i) deck += std::to_string(i) + " " + std::to_string(i) + " -1\n";
    deck += "CONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\nELEM\n1 10 0.3 0.3 0.28 0.006 0.006 0.012\nSOIL\n";
    Deck d(deck);
    eng::READ_FOUNDATION();
    if (piles == 500) {
      EXPECT_EQ(eng::g.run.fatal, 0);
      EXPECT_EQ(eng::g.run.n_piles, 500);
      EXPECT_FLOAT_EQ(eng::g.foundation.pile_x[499], 500.0f);
      const Lines got = d.report();
      EXPECT_TRUE(contains_block(got, {"  99       99.000      -1.000", " 100      100.000      -1.000"}));
      EXPECT_TRUE(contains_block(got, {" 500      500.000      -1.000", "", "", " PILE PROPERTIES"}));
      EXPECT_EQ(next_word(), "SOIL");
    } else {
      EXPECT_EQ(eng::g.run.fatal, 1);
      EXPECT_EQ(eng::g.run.n_piles, 0);
      EXPECT_EQ(eng::g.foundation.pile_x[0], 0.0f);
    }
  }
}

TEST(ReadFoundation, StratumRatioLimits) {
  struct Case {
    const char* cons;  // xc yc zc E H, with a circle of radius 2
    int fatal;
  } cases[] = {
      {"0 0 0 3 4", 0},    // E/R = 1.5, E/H = 0.75: both at the limit
      {"0 0 0 3.2 8", 1},  // E/R = 1.6
      {"0 0 0 1 1.3", 1},  // E/H above 0.75
      {"0 0 0 0 0", 1},    // no layer depth: the ratios cannot be formed
      {"0 0 0 0 -1", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cons);
    Deck d(std::string("STRA\nCIRC=2\nMASS\n0 0 0 0 0 0 0\nCONS\n") + c.cons + "\nSOIL\n");
    eng::g.run.echo = 0;
    eng::READ_FOUNDATION();
    EXPECT_EQ(eng::g.run.fatal, c.fatal);
    const bool message = contains_block(d.fx.report_lines(), {" THE STRATUM OPTION IS NOT GOOD FOR THIS CASE"});
    EXPECT_EQ(message, c.fatal == 1);
    EXPECT_EQ(next_word(), "SOIL");
  }
}

// What follows the elements: the optional tip word, then BATT and INTE in
// either order; a word the block does not own is left for the keyword loop.
TEST(ReadFoundation, TipBatterAndInteractionSequence) {
  const std::string elem =
      "PILE\nCIRC=1\nMASS\n0 0 0 0 0 0 0\nLAYE=1\nFIXE=1\n1 0 0\nCONS\n0 0 0 10 24 0 0.25 0.05 0.6 2E7\n"
      "ELEM\n1 10 0.3 0.3 0.28 0.006 0.006 0.012\n";
  struct Case {
    const char* tail;
    int tip, battered, interaction;
    const char* next;
  } cases[] = {
      {"SOIL\n", 0, 0, 0, "SOIL"},
      {"FLOA\nSOIL\n", 0, 0, 0, "SOIL"},
      {"END-\nINTE\nFLOA\nSOIL\n", 1, 0, 1, "SOIL"},
      {"INTE\nEND-\nBATT\n1 YZ\n3\nSOIL\n", 0, 1, 1, "SOIL"},  // END- after INTE is dropped
      {"BATT\n1 XZ\n3\nINTE\nLOAD\n", 0, 1, 1, "LOAD"},
      {"BATT\n1 XZ\n3\nLOAD\n", 0, 1, 0, "LOAD"},
      {"INTE\nSOIL\n", 0, 0, 1, "SOIL"},
      {"", 0, 0, 0, "EOF"},  // end of input: nothing to push back
      {"END-\n", 1, 0, 0, "EOF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    Deck d(elem + c.tail);
    eng::g.run.echo = 0;
    eng::READ_FOUNDATION();
    EXPECT_EQ(eng::g.run.pile_tip, c.tip);
    EXPECT_EQ(eng::g.run.battered, c.battered);
    EXPECT_EQ(eng::g.run.interaction, c.interaction);
    EXPECT_EQ(next_word(), c.next);
    EXPECT_EQ(eng::g.run.fatal, 0);
  }
}

// Through the real library: a refused layer count ends the run as a fatal input error.
TEST(ReadFoundation, EngineRunRefusesTooManyLayers) {
  const std::string deck =
      "TITLE=Layers\r\nGRAVITY=9.8\r\nFOUNDATION=PILE\r\nCIRCULAR=0.5\r\nMASS \r\n0 0 0 0 0 0 0\r\n"
      "LAYERS=31\r\nFIXED=1\r\n1 0 0 \r\nRUN \r\n";
  harness::RunOptions opt;
  opt.mass_file = "0\r\n";
  const harness::EngineRun run = harness::run_engine(deck, opt);
  EXPECT_EQ(run.result, 3);
  EXPECT_TRUE(contains_block(run.report_lines(), {"", "", " ERROR - NUMBER OF LAYERS EXCEEDS 30", " PROGRAM WILL NOT EXECUTE"}))
      << run.report;
}
