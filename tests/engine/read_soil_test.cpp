// The SOIL block: echoes per foundation type, the generated parabolic
// profile, the weak zones and their scaling, and the block's error messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "prepass.h"
#include "reader_fixture.h"
#include "readers.h"
#include "rt/format.h"
#include "state.h"

namespace {

using Lines = std::vector<std::string>;

// What a preceding FOUN and GRAV 9.8 leave behind.
void foundation(int type, int profile = 1, int layers = 0) {
  eng::g.run.unit_system = 2;
  eng::SET_UNIT_LABELS();
  eng::g.run.foundation_type = type;
  eng::g.run.soil_profile = profile;
  eng::g.run.n_layers = layers;
}

// Line by line, so that a failure names the first line that differs.
void expect_lines(const Lines& actual, const Lines& expected) {
  const std::size_t n = std::max(actual.size(), expected.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::string a = i < actual.size() ? actual[i] : "<no line>";
    const std::string e = i < expected.size() ? expected[i] : "<no line>";
    if (a != e) {
      ADD_FAILURE() << "line " << i << "\n  actual:   \"" << a << "\"\n  expected: \"" << e << "\"";
      return;
    }
  }
}

std::string next_word() {
  std::string w;
  eng::read_word(w);
  return w;
}

const Lines kSoilBelowHalf = {
    "", "", " HALF-SPACE SOIL", " ***************", "",
    " SHEAR WAVE    UNIT    POISSON'S   MATERIAL",
    "  VELOCITY    WEIGHT     RATIO     DAMPING",
    "     m/s       kN/m**3 ",
    "  4.00E+02     20.0000   0.250     0.020",
};

TEST(ReadSoil, StratumConstantsEndTheBlock) {
  harness::ReaderFixture f("CONS\n200 18 0.3 0.05\nLOAD\n");
  foundation(3);
  eng::READ_SOIL();
  const Lines expected = {
      "", "", " SOIL CONSTANTS", " **************", "",
      " SHEAR WAVE VELOCITY  ...........   200.00000 m/s ",
      " UNIT WEIGHT  ...................    18.00000 kN/m**3 ",
      " POISSONS RATIO  ................     0.30000",
      " MATERIAL DAMPING  ..............     0.05000",
  };
  expect_lines(f.report_lines(), expected);
  EXPECT_EQ(eng::g.soil.stratum.velocity, 200.0f);
  EXPECT_EQ(eng::g.soil.stratum.unit_weight, 18.0f);
  EXPECT_EQ(eng::g.soil.stratum.poisson, 0.3f);
  EXPECT_EQ(eng::g.soil.stratum.damping, 0.05f);
  EXPECT_EQ(next_word(), "LOAD");  // no BELO for a stratum
  EXPECT_EQ(eng::g.run.fatal, 0);
}

TEST(ReadSoil, LayeredPileWithWeakZonesSoilBelowAndSideCap) {
  harness::ReaderFixture f(
      "WEAK\nWEAK\nCONS\n"
      "1 150 17.5 0.35 0.05 1.0 0.35 0.1 0.5\n"
      "2 250 19 0.3 0.04 0.999 0.3 0.08 0.25\n"
      "BELO\n400 20 0.25 0.02\n"
      "SIDE\nSIDE\nEMBE\n2\n"
      "1 2.0 120 18 0.3 0.05 0.5 0.3 0.1 0.2\n"
      "2 1.0 150 18 0.3 0.05 1.0 0.3 0.1 0.4\n"
      "LOAD\n");
  foundation(1, 1, 2);
  eng::g.foundation.r_translation = 2.5f;
  eng::READ_SOIL();

  const Lines expected = {
      "", "", " SOIL CONSTANTS", " **************", "",
      " LAYER  SHEAR WAVE    UNIT   POISSONS  MATERIAL",
      "  NO.    VELOCITY    WEIGHT    RATIO    DAMPING",
      "           m/s       kN/m**3 ",
      "   1      150.000      17.500   0.350     0.050",
      "   2      250.000      19.000   0.300     0.040",
      "", "", " NONLINEARITY OF SOIL (WEAKENED ZONE)", " " + std::string(36, '*'), "",
      " LAYER  SHEAR MODULUS  ",
      "  NO.   RATIO          ",
      "",
      "   1       1.000",
      "   2       0.999",
      "", "", " SOIL BELOW PILE", " ***************", "",
      " SHEAR WAVE    UNIT    POISSON'S   MATERIAL",
      "  VELOCITY    WEIGHT     RATIO     DAMPING",
      "     m/s       kN/m**3 ",
      "  4.00E+02     20.0000   0.250     0.020",
      "", "", " EMBEDDED OPTION", " ***************", "",
      " NUMBER OF SIDE LAYERS  -    2",
      "",
      " LAYER  THICKNESS  SHEAR WAVE   UNIT    POISSONS  MATERIAL",
      "  NO.    OF LAYER   VELOCITY   WEIHT    RATIO     DAMPING",
      "           m         m/s       kN/m**3 ",
      "   1      2.000    120.00      18.000    0.300     0.050",
      "   2      1.000    150.00      18.000    0.300     0.050",
      "", "", " SIDE-CAP (WEAKENING) OF SIDE LAYERS", " " + std::string(36, '*'), "",
      " LAYER  SHEAR MODULUS  ",
      "  NO.       RATIO        ",
      "",
      "   1       0.500      ",
      "   2       1.000      ",
  };
  expect_lines(f.report_lines(), expected);

  const eng::SoilData& s = eng::g.soil;
  const eng::RunState& r = eng::g.run;
  EXPECT_EQ(r.fatal, 0);
  EXPECT_EQ(r.weak_layer, 1);
  EXPECT_EQ(r.side_cap, 1);
  EXPECT_EQ(r.embedded, 1);
  EXPECT_EQ(r.n_side_layers, 2);
  // A layer without weakening (ratio above 0.999) has no weak zone.
  EXPECT_EQ(s.layer.weak_thickness[0], 0.0f);
  EXPECT_EQ(s.layer.weak_thickness[1], 0.25f);  // kept as a ratio for the driver
  EXPECT_EQ(s.layer.weak_damping[1], 0.08f);
  EXPECT_EQ(s.reference_velocity, 250.0f);
  for (int i = 0; i < eng::kMaxLayers; ++i) {
    EXPECT_EQ(s.shear_modulus_ratio[i], 1.0f);
    EXPECT_EQ(s.damping_ratio[i], 1.0f);
  }
  // Velocity, unit weight, Poisson's ratio, damping, in this order.
  EXPECT_EQ(s.below.velocity, 400.0f);
  EXPECT_EQ(s.below.unit_weight, 20.0f);
  EXPECT_EQ(s.below.poisson, 0.25f);
  EXPECT_EQ(s.below.damping, 0.02f);
  // Side weak thicknesses become lengths: ratio times the translation radius,
  // with no 0.999 test for the side cap.
  EXPECT_FLOAT_EQ(s.side.weak_thickness[0], 0.5f);
  EXPECT_FLOAT_EQ(s.side.weak_thickness[1], 1.0f);
  EXPECT_EQ(s.side_thickness[1], 1.0f);
  EXPECT_EQ(s.side.velocity[1], 150.0f);
  EXPECT_EQ(next_word(), "LOAD");
}

TEST(ReadSoil, LayeredPileWithoutWeakGetsDefaultsAndEmbeddedSidesWithout) {
  harness::ReaderFixture f(
      "CONS\n1 150 17.5 0.35 0.05\nBELO\n400 20 0.25 0.02\n"
      "EMBE\n1\n1 2.0 120 18 0.3 0.05\nSIDE\n");
  foundation(1, 1, 1);
  eng::g.run.echo = 0;
  eng::g.foundation.r_translation = 2.5f;
  eng::READ_SOIL();
  EXPECT_EQ(f.report_lines(), Lines{});  // echo off
  const eng::SoilData& s = eng::g.soil;
  EXPECT_EQ(s.layer.weak_shear_ratio[0], 1.0f);
  EXPECT_EQ(s.layer.weak_poisson[0], 0.35f);
  EXPECT_EQ(s.layer.weak_damping[0], 0.05f);
  EXPECT_EQ(s.layer.weak_thickness[0], 0.0f);
  EXPECT_EQ(s.side.weak_shear_ratio[0], 1.0f);
  EXPECT_EQ(s.side.weak_poisson[0], 0.3f);
  EXPECT_EQ(s.side.weak_thickness[0], 0.0f);
  EXPECT_EQ(s.side_thickness[0], 2.0f);
  EXPECT_EQ(eng::g.run.embedded, 1);
  // EMBE ends the block: a SIDE after it is left to the keyword loop.
  EXPECT_EQ(eng::g.run.side_cap, 0);
  EXPECT_EQ(next_word(), "SIDE");
}

TEST(ReadSoil, ParabolicPileProfileOfThirtyLayers) {
  for (const bool weak : {false, true}) {
    harness::ReaderFixture f(std::string(weak ? "WEAK\n" : "") + "CONS\n100 18 0.3 0.05\n" +
                             (weak ? "0.5 0.3 0.1 0.2\n" : "") + "BELO\n400 20 0.25 0.02\n");
    foundation(1, 2, 0);
    eng::FoundationData& fd = eng::g.foundation;
    fd.pile_length = 20.0f;
    fd.radius_x[0] = 0.3f;
    fd.radius_y[0] = 0.4f;
    fd.section_area[0] = 0.28f;
    fd.inertia_x[0] = 0.0064f;
    fd.inertia_y[0] = 0.0128f;
    fd.torsional_stiffness[0] = 0.02f;
    eng::READ_SOIL();

    Lines expected = {
        "", "", " SOIL CONSTANTS", " **************", "",
        " SHEAR WAVE VELOCITY  ...........   100.00000 m/s ",
        " UNIT WEIGHT  ...................    18.00000 kN/m**3 ",
        " POISSONS RATIO  ................     0.30000",
        " MATERIAL DAMPING  ..............     0.05000",
    };
    if (weak) {
      expected.push_back(" WEAK SHEAR RATIO  ..............     0.50000");
      expected.push_back(" WEAKPOISSONS RATIO  ..........     0.30000");
      expected.push_back(" WEAK MATERIAL DAMPING  .........     0.10000");
      expected.push_back(" WEAK THICKNESS RATIO  ..........     0.20000");
    }
    const Lines report = f.report_lines();
    ASSERT_GE(report.size(), expected.size());
    EXPECT_EQ(Lines(report.begin(), report.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(report[expected.size() + 2], " SOIL BELOW PILE");

    const eng::SoilData& s = eng::g.soil;
    EXPECT_EQ(eng::g.run.n_layers, 30);
    EXPECT_EQ(s.reference_velocity, 100.0f);
    double bottom = 0.0;
    for (int k = 0; k < 30; ++k) {
      const double t = k < 20 ? 0.5 : 1.0;  // L/40 and L/20
      bottom += t;
      EXPECT_FLOAT_EQ(fd.layer_depth[k], static_cast<float>(t)) << k;
      EXPECT_NEAR(s.layer.velocity[k], 100.0 * std::pow((bottom - t / 2) / 20.0, 0.25), 1e-4) << k;
      EXPECT_EQ(s.layer.unit_weight[k], 18.0f);
      EXPECT_EQ(s.layer.damping[k], 0.05f);
      EXPECT_EQ(fd.radius_x[k], 0.3f);
      EXPECT_EQ(fd.radius_y[k], 0.4f);
      EXPECT_EQ(fd.section_area[k], 0.28f);
      EXPECT_EQ(fd.inertia_x[k], 0.0064f);
      EXPECT_EQ(fd.inertia_y[k], 0.0128f);
      EXPECT_EQ(fd.torsional_stiffness[k], 0.02f);
      EXPECT_EQ(s.layer.weak_shear_ratio[k], weak ? 0.5f : 0.0f);
      EXPECT_EQ(s.layer.weak_poisson[k], 0.3f);
      EXPECT_EQ(s.layer.weak_damping[k], weak ? 0.1f : 0.05f);
      EXPECT_EQ(s.layer.weak_thickness[k], weak ? 0.2f : 0.0f);
    }
    EXPECT_NEAR(bottom, 20.0, 1e-9);
    EXPECT_NEAR(s.layer.velocity[0], 100.0 * std::pow(0.25 / 20.0, 0.25), 1e-4);
    EXPECT_NEAR(s.layer.velocity[29], 100.0 * std::pow(19.5 / 20.0, 0.25), 1e-4);
    EXPECT_EQ(eng::g.run.fatal, 0);
  }
}

TEST(ReadSoil, HalfSpaceSideLayersScaledByTranslationRadius) {
  harness::ReaderFixture f(
      "WEAK\nCONS\n2\n"
      "1 1.5 180 18.5 0.33 0.05 0.5 0.33 0.1 0.2\n"
      "2 2.0 250 19 0.3 0.04 1.0 0.3 0.08 0.4\n"
      "BELO\n400 20 0.25 0.02\nEMBE\n");
  foundation(2);
  eng::g.foundation.r_translation = 1.5f;
  eng::READ_SOIL();
  Lines expected = {
      "", "", " SOIL CONSTANTS  NUMBER OF SIDE LAYERS -   2", " **************", "",
      " LAYER  LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL",
      "  NO.   DEPTH   VELOCITY   WEIGHT    RATIO     DAMPING",
      "          m        m/s      kN/m**3 ",
      "   1     1.500   180.000     18.500    0.330     0.050",
      "   2     2.000   250.000     19.000    0.300     0.040",
      "", "", " NONLINEARITY OF SOIL (WEAKENED ZONE)", " " + std::string(36, '*'), "",
      " LAYER  SHEAR MODULUS  ",
      "  NO.   RATIO          ",
      "",
      "   1       0.500",
      "   2       1.000",
  };
  expected.insert(expected.end(), kSoilBelowHalf.begin(), kSoilBelowHalf.end());
  expect_lines(f.report_lines(), expected);
  const eng::SoilData& s = eng::g.soil;
  EXPECT_EQ(eng::g.run.n_side_layers, 2);
  EXPECT_FLOAT_EQ(s.side.weak_thickness[0], 0.3f);  // 0.2 times 1.5
  EXPECT_EQ(s.side.weak_thickness[1], 0.0f);        // ratio 1.0: no weak zone
  EXPECT_EQ(s.side.weak_damping[0], 0.1f);
  EXPECT_EQ(s.side_thickness[1], 2.0f);
  EXPECT_EQ(next_word(), "EMBE");  // only piles take side layers after BELO
}

TEST(ReadSoil, HalfSpaceWithoutSideLayers) {
  harness::ReaderFixture f("CONS\n0\nBELO\n400 20 0.25 0.02\n");
  foundation(2);
  eng::READ_SOIL();
  expect_lines(f.report_lines(), kSoilBelowHalf);
  EXPECT_EQ(eng::g.run.n_side_layers, 0);
  EXPECT_EQ(eng::g.run.fatal, 0);
}

TEST(ReadSoil, MultilayerAdjacentLayersAndLayersBelow) {
  harness::ReaderFixture f(
      "CONS\n1\n1 150 17 0.3 0.05\n"
      "2 200 18 0.3 0.04 0.8 0.9\n3 300 19 0.25 0.03 0.7 0.6\n"
      "BELO\n500 20 0.25 0.02\n");
  foundation(4, 1, 3);
  eng::READ_SOIL();
  const Lines expected = {
      "", "", " SOIL CONSTANTS      NUMBER OF ADJACENT LAYERS -    1", " **************", "",
      " LAYER  SHEAR WAVE   UNIT    POISSONS  MATERIAL",
      "  NO.    VELOCITY   WEIGHT    RATIO     DAMPING",
      "           m/s       kN/m**3 ",
      "   1      150.000      17.000   0.300     0.050",
      "", "", " SOIL PROPERTIES BELOW FOUNDATION", " " + std::string(32, '*'), "",
      " LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL  SHEAR MODULUS  DAMPING RATIO",
      "  NO.    VELOCITY   WEIGHT    RATIO     DAMPING  RATIO(IN/OUT)      (IN/OUT)",
      "          m/s         kN/m**3 ",
      "   2     200.000     18.000   0.300     0.040        0.800          0.900",
      "   3     300.000     19.000   0.250     0.030        0.700          0.600",
      "", "", " SOIL BELOW MULTILAYER SYSTEM", " " + std::string(28, '*'), "",
      " SHEAR WAVE    UNIT    POISSON'S   MATERIAL",
      "  VELOCITY    WEIGHT     RATIO     DAMPING",
      "     m/s       kN/m**3 ",
      "  5.00E+02     20.0000   0.250     0.020",
  };
  expect_lines(f.report_lines(), expected);
  const eng::SoilData& s = eng::g.soil;
  EXPECT_EQ(s.n_adjacent, 1.0f);
  EXPECT_EQ(s.reference_velocity, 300.0f);
  EXPECT_EQ(s.shear_modulus_ratio[1], 0.8f);
  EXPECT_EQ(s.damping_ratio[2], 0.6f);
  EXPECT_EQ(s.layer.weak_shear_ratio[2], 1.0f);
  EXPECT_EQ(s.layer.weak_poisson[2], 0.25f);
  EXPECT_EQ(s.layer.weak_damping[2], 0.03f);
  EXPECT_EQ(eng::g.run.fatal, 0);
}

TEST(ReadSoil, MultilayerWeakAdjacentLayers) {
  harness::ReaderFixture f("WEAK\nCONS\n2\n1 150 17 0.3 0.05 0.5 0.3 0.1 0.2\n"
                           "2 160 17 0.3 0.05 1.0 0.3 0.1 0.2\nBELO\n500 20 0.25 0.02\n");
  foundation(4, 1, 2);
  eng::READ_SOIL();
  const Lines weak = f.report_from(" NONLINEARITY OF SOIL (WEAKENED ZONE)");
  ASSERT_GE(weak.size(), 9u);
  EXPECT_EQ(weak[6], "   1       0.500");
  EXPECT_EQ(weak[7], "   2       1.000");
  EXPECT_EQ(weak[8], "");  // then the (empty) table of the layers below
  EXPECT_EQ(eng::g.soil.layer.weak_thickness[0], 0.2f);  // a ratio, scaled by the driver
  EXPECT_EQ(eng::g.soil.layer.weak_thickness[1], 0.0f);
  EXPECT_EQ(eng::g.soil.reference_velocity, 160.0f);
}

// The weak table lists its rows only when layer 1 or 2 is weakened at all.
TEST(ReadSoil, WeakTableRowsOnlyForWeakenedLayers) {
  harness::ReaderFixture f("WEAK\nCONS\n1 150 17 0.3 0.05 0 0.3 0.1 0.2\nBELO\n400 20 0.25 0.02\n");
  foundation(1, 1, 1);
  eng::READ_SOIL();
  const Lines weak = f.report_from(" NONLINEARITY OF SOIL (WEAKENED ZONE)");
  ASSERT_GE(weak.size(), 9u);
  EXPECT_EQ(weak[5], "");
  EXPECT_EQ(weak[6], "");  // no rows: straight on to the soil below
  EXPECT_EQ(weak[7], "");
  EXPECT_EQ(weak[8], " SOIL BELOW PILE");
}

struct ErrorCase {
  const char* name;
  int type;
  int layers;
  std::string deck;
  Lines message;       // from its first line on, after two empty lines
  int fatal;
  const char* next;    // the word the keyword loop reads next ("" = none checked)
};

TEST(ReadSoil, ErrorMessages) {
  const std::string never = " PROGRAM WILL NOT EXECUTE";
  const std::string side31 = [] {
    std::string d = "31\n";
    for (int i = 1; i <= 31; ++i) d += std::to_string(i) + " 1 100 18 0.3 0.05\n";
    return d;
  }();
  const std::string below = "BELO\n400 20 0.25 0.02\n";
  const std::string pile_soil = "CONS\n1 150 17 0.3 0.05\n" + below;
  const ErrorCase cases[] = {
      {"no foundation yet", 0, 0, "CONS\n1 2 3 4\n",
       {" THE FOUNDATION TYPE HAS NOT BEEN ESTABLISHED",
        "    THE PROGRAM SHOULD NEVER ENCOUNTER THIS ERROR (SOLCST)"}, 1, ""},
      {"weak for a stratum", 3, 0, "WEAK\nCONS\n200 18 0.3 0.05\n",
       {" WEAK IS AN IMPROPER KEYWORD FOR THIS FOUNDATION   TYPE", never}, 1, "CONS"},
      {"CONS missing", 2, 0, "BELO\n400 20 0.25 0.02\n",
       {" WEAK OR CONSTANT SUBKEYWORDS ARE EXPECTED TO FO   LLOW SOIL KEYWORD", never}, 1, "400."},
      {"BELO missing", 2, 0, "CONS\n0\nLOAD\nHARM\n",
       {" BELOW SUBKEYWORD IS EXPECTED TO FOLLOW SOIL CON   STANT DATA", never}, 1, "HARM"},
      {"soil constants short", 3, 0, "CONS\n200 18\n",
       {" ERROR ENCOUNTERED WHILE READING SOIL CONSTANTS", never}, 1, ""},
      {"soil row short", 1, 2, "CONS\n1 150 17 0.3 0.05\n2 150 BELO\n400 20 0.25 0.02\n",
       {" ERROR ENCOUNTERED WHILE READING SOIL CONSTANTS", never,
        "", "", " SOIL BELOW PILE"}, 1, ""},
      {"soil below short", 2, 0, "CONS\n0\nBELO\n400 20 0.25\n",
       {"", "  *** BAD DATA IN SOIL DESCRIPTION BELOW PILE ***", "      - WILL CONTINUE TO PROCESS DATA",
        "      - CANNOT    EXECUTE THIS PROBLEM SET"}, 1, ""},
      {"side layers short", 1, 1, pile_soil + "SIDE\nEMBE\n2\n1 1.0 100 18 0.3 0.05 0.5 0.3\n",
       {" ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISO   LATION DATA",
        " PROGRAM WILL IGNORE THESE OPTIONS"}, 0, ""},
      // The words after BELO are identified by the keyword look-up, which
      // reports a word it does not know; the word is left for the loop.
      {"unknown word after the soil below", 1, 1, pile_soil + "SIDX\nLOAD\n",
       {" UNRECOGNIZED KEYWORD - SIDX"}, 0, "SIDX"},
      {"unknown word after SIDE", 1, 1, pile_soil + "SIDE\nEMBX\n",
       {" UNRECOGNIZED KEYWORD - EMBX", "", "",
        " SIDE-CAP KEYWORD WAS INPUT WITHOUT THE EMBEDDED KEYWORD - THE SIDE-CAP OPTION WILL BE IGNORED"},
       0, "EMBX"},
      {"side cap without embedded", 1, 1, pile_soil + "SIDE\nLOAD\n",
       {" SIDE-CAP KEYWORD WAS INPUT WITHOUT THE EMBEDDED KEYWORD - THE SIDE-CAP OPTION WILL BE IGNORED"},
       0, "LOAD"},
      {"31 embedded side layers", 1, 1, pile_soil + "EMBE\n" + side31,
       {" ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30", never}, 1, "1."},
      {"31 half-space side layers", 2, 0, "CONS\n" + side31 + below,
       {" ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30", never}, 1, "1."},
      {"31 adjacent layers", 4, 30, "CONS\n31\n1 150 17 0.3 0.05\n",
       {" ERROR - NUMBER OF ADJACENT LAYERS EXCEEDS 30", never}, 1, "1."},
      {"parabolic profile without pile length", 1, 0, "WEAK\nCONS\n100 18 0.3 0.05\n0.5 0.3 0.1 0.2\n" + below,
       {" ERROR - PILE LENGTH MUST BE GREATER THAN ZERO FOR A PARABOLIC SOIL MEDIA", never,
        " WEAK SHEAR RATIO  ..............     0.50000", " WEAKPOISSONS RATIO  ..........     0.30000",
        " WEAK MATERIAL DAMPING  .........     0.10000", " WEAK THICKNESS RATIO  ..........     0.20000",
        "", "", " SOIL BELOW PILE"}, 1, ""},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    harness::ReaderFixture f(c.deck);
    foundation(c.type, std::string(c.name).find("parabolic") == 0 ? 2 : 1, c.layers);
    eng::g.foundation.r_translation = 1.0f;
    eng::READ_SOIL();
    const Lines all = f.report_lines();
    const std::string& first = c.message[0].empty() ? c.message[1] : c.message[0];
    const Lines from = f.report_from(first);
    ASSERT_FALSE(from.empty()) << f.report_text();
    const std::size_t n = c.message[0].empty() ? c.message.size() - 1 : c.message.size();
    ASSERT_GE(from.size(), n);
    const Lines expected(c.message.begin() + static_cast<long>(c.message.size() - n), c.message.end());
    EXPECT_EQ(Lines(from.begin(), from.begin() + static_cast<long>(n)), expected);
    // Every message stands after (at least) two empty lines.
    const std::size_t at = all.size() - from.size();
    ASSERT_GE(at, 2u);
    EXPECT_EQ(all[at - 1], "");
    EXPECT_EQ(all[at - 2], "");
    EXPECT_EQ(eng::g.run.fatal, c.fatal);
    if (*c.next) {
      EXPECT_EQ(next_word(), rt::pad(c.next, 4));
    }
    if (std::string(c.name) == "side layers short") {
      // Not fatal: the embedded and side-cap options are dropped instead.
      EXPECT_EQ(eng::g.run.embedded, 0);
      EXPECT_EQ(eng::g.run.side_cap, 0);
      EXPECT_EQ(eng::g.run.n_side_layers, 0);
    }
  }
}

}  // namespace

namespace {

// Whole decks, as the main program writes them, through the real library:
// the soil and load blocks of every foundation type are read without error
// and echoed.
struct RunCase {
  const char* name;
  std::string deck;
  Lines echo;  // lines that must stand in the report, in this order
};

TEST(ReadSoil, SoilAndLoadBlocksInWholeRuns) {
  const std::string mass = "MASS \n100 50 50 80 0 0 0\n";
  const RunCase cases[] = {
      {"half-space, weak side layer, harmonic load",
       "TITLE=Half-space\nGRAVITY=9.8\nFOUNDATION=HALF-SPACE\nRECTANGULAR=6,4\n" + mass +
           "CONSTANTS \n0 0 1 \nSOIL \nWEAK \nCONSTANTS=1\n1 1 250 19 0.33 0.05 0.5 0.33 0.1 0.1\n"
           "BELOW=250 19 0.33 0.05\nLOAD \nHARMONIC \nCONSTANTS \nNONQUADRATIC \n314 6.28 6.28 \n"
           "10 0 20 \n0 5 0 \n0 0 0 0 \nRUN \n0\n",
       {" SOIL CONSTANTS  NUMBER OF SIDE LAYERS -   1",
        "   1     1.000   250.000     19.000    0.330     0.050",
        " NONLINEARITY OF SOIL (WEAKENED ZONE)",
        "   1       0.500",
        " HALF-SPACE SOIL",
        "  2.50E+02     19.0000   0.330     0.050",
        " HARMONIC LOAD, NON QUADRATIC",
        " MAXIMUM FREQUENCY .............. 5.000E+01 Hz",
        " MOMENT ABOUT Y-AXIS  ........... 5.000E+00 kN-m "}},
      {"pile, weak layers, side cap, transient load",
       "TITLE=Pile\nGRAVITY=9.8\nFOUNDATION=PILE\nCIRCULAR=1.5\n" + mass +
           "LAYERS=2\nFIXED=1\n1 0 0 \nCONSTANTS \n0 0 0.5 10 24 \n500 0.25 0.02 0.7 2.5E7\n"
           "ELEMENT\n1 5 0.25 0.25 0.196 0.00307 0.00307 0.00614\n"
           "2 5 0.25 0.25 0.196 0.00307 0.00307 0.00614\nFLOATING\n"
           "SOIL \nWEAK\nCONSTANTS\n1 150 18 0.35 0.05 0.5 0.35 0.1 1.0\n2 200 19 0.3 0.04 1 0.3 0.08 1.0\n"
           "BELOW=300 20 0.3 0.03\nSIDE-CAP\nEMBEDDED\n1 \n1 0.5 120 17 0.35 0.05 0.6 0.35 0.1 0.1\n"
           "LOAD \nTRANSIENT \nCONSTANTS \n4 \n0.01 \n1 \n3 \n1 \n2 \n1 \n0 \nRUN \n0\n",
       {" SOIL CONSTANTS",
        "   1      150.000      18.000   0.350     0.050",
        "   2      200.000      19.000   0.300     0.040",
        "   1       0.500",
        "   2       1.000",
        " SOIL BELOW PILE",
        "  3.00E+02     20.0000   0.300     0.030",
        " EMBEDDED OPTION",
        "   1      0.500    120.00      17.000    0.350     0.050",
        " SIDE-CAP (WEAKENING) OF SIDE LAYERS",
        "   1       0.600      ",
        " TRANSIENT LOAD",
        " NUMBER OF POINTS  ..............     4",
        " LOAD TYPE CODE - 3 (FORCE IN Z-DIRECTION)",
        "    1.000E+00", "    2.000E+00", "    1.000E+00", "    0.000E+00"}},
      {"multilayer, random load",
       "TITLE=Shaft\nGRAVITY=9.8\nFOUNDATION=MULTILAYER\nCIRCULAR=1\n" + mass +
           "LAYER=2\nCONSTANTS \n0 0 1 4 24 \n500 0.25 0.02 0.7 2.5E7\n"
           "ELEMENT\n1 2 1 1 3.14 0.785 0.785 1.57\n2 2 1 1 3.14 0.785 0.785 1.57\n"
           "SOIL \nWEAK \nCONSTANTS=1\n1 150 18 0.35 0.05 0.5 0.35 0.1 1.0\n2 200 19 0.3 0.04 0.8 0.9\n"
           "BELOW=300 20 0.3 0.03\nLOAD \nRANDOM \nCONSTANTS \n100 \n10 \n3 \n60 \n1 \n3 3\n1 \n2 \n3 \n"
           "RUN \n0\n",
       {" SOIL CONSTANTS      NUMBER OF ADJACENT LAYERS -    1",
        "   1      150.000      18.000   0.350     0.050",
        "   1       0.500",
        " SOIL PROPERTIES BELOW FOUNDATION",
        "   2     200.000     19.000   0.300     0.040        0.800          0.900",
        " SOIL BELOW MULTILAYER SYSTEM",
        " RANDOM LOAD",
        " NUMBER OF POINTS  ..............   3",
        " LOCATION OF SPECTRA  -    3    3",
        "   0.100E+01", "   0.200E+01", "   0.300E+01"}},
      {"stratum, quadratic harmonic load",
       "TITLE=Stratum\nGRAVITY=9.8\nFOUNDATION=STRATUM\nCIRCULAR=2\n" + mass +
           "CONSTANTS \n0 0 0.5 1 8 \nSOIL \nCONSTANTS \n200 18 0.3 0.05\n"
           "LOAD \nHARMONIC \nCONSTANTS \nQUADRATIC \n62.8 6.28 6.28 \n0 0 0.5 \n0 0 0 \n0 0 0 0 \nRUN \n0\n",
       {" SOIL CONSTANTS",
        " SHEAR WAVE VELOCITY  ...........   200.00000 m/s ",
        " MATERIAL DAMPING  ..............     0.05000",
        " HARMONIC LOAD, QUADRATIC",
        " FORCE COEFF. IN Z-DIRECTION  ... 5.000E-01 Mg-m   "}},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    const harness::EngineRun run = harness::run_engine(c.deck);
    EXPECT_NE(run.result, 3) << run.report;
    const Lines report = run.report_lines();
    std::size_t at = 0;
    for (const std::string& line : c.echo) {
      while (at < report.size() && report[at] != line) ++at;
      ASSERT_LT(at, report.size()) << "missing or out of order: \"" << line << "\"\n" << run.report;
      ++at;
    }
  }
}

}  // namespace
