// The deck check before the analysis, through the real library: decks that
// can give no physical result are refused with result 3 and the fatal page;
// pile and multilayer decks whose cap size does not enter the result run.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine_harness.h"

namespace {

using harness::EngineRun;
using harness::run_engine;

std::string example(const std::string& name) {
  return harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/examples/" + name);
}

// The deck with the first occurrence of `from` replaced by `to` (must exist).
std::string edit(std::string deck, const std::string& from, const std::string& to) {
  const std::size_t at = deck.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) deck.replace(at, from.size(), to);
  return deck;
}

// The deck without the lines from the one beginning `first` up to (not
// including) the one beginning `next`.
std::string cut(const std::string& deck, const std::string& first, const std::string& next) {
  const std::size_t a = deck.find(first);
  const std::size_t b = deck.find(next, a);
  EXPECT_NE(a, std::string::npos) << first;
  EXPECT_NE(b, std::string::npos) << next;
  return deck.substr(0, a) + deck.substr(b);
}

const std::string kPile = "single-pile-harmonic.tmx";
const std::string kMulti = "multilayer-harmonic.tmx";
const std::string kStratum = "stratum-transient.tmx";
const std::string kHalf = "halfspace-embedded-harmonic.tmx";

// A single pile with one embedded side layer under the cap (EMBE).
std::string pile_with_side_layer(const std::string& cap) {
  std::string deck = edit(example(kPile), "CIRCULAR=0.6", cap);
  return edit(deck, "BELOW=300 20 0.35 0.04\n", "BELOW=300 20 0.35 0.04\nEMBEDDED=1\n1 1.5 100 17 0.4 0.05\n");
}

EngineRun run(const std::string& deck) { return run_engine(deck); }

const char* const kFatalTail = "\n1\n\n\n*** FATAL ERROR IN INPUT DATA ***\n*** EXEC   UTION TERMINATED ***\n";

TEST(InputChecks, DecksWithoutAPhysicalResultAreRefused) {
  struct Case {
    const char* what;
    std::string deck;
    const char* message;  // the line before " PROGRAM WILL NOT EXECUTE"
  } cases[] = {
      {"multilayer without SOIL", cut(example(kMulti), "SOIL", "LOAD"),
       " *** NO SOIL DATA FOR THIS FOUNDATION TYPE (SOIL BLOCK) MISSING ***"},
      {"stratum without SOIL", cut(example(kStratum), "SOIL", "LOAD"),
       " *** NO SOIL DATA FOR THIS FOUNDATION TYPE (SOIL BLOCK) MISSING ***"},
      {"pile without SOIL", cut(example(kPile), "SOIL", "LOAD"),
       " *** NO SOIL DATA FOR THIS FOUNDATION TYPE (SOIL BLOCK) MISSING ***"},
      {"half-space without SOIL", cut(example(kHalf), "SOIL", "LOAD"),
       " *** NO SOIL DATA FOR THIS FOUNDATION TYPE (SOIL BLOCK) MISSING ***"},
      {"time step 0", edit(example(kStratum), "\n0.01 \n", "\n0 \n"),
       " *** TIME STEP OF THE TRANSIENT LOAD MUST BE ABOVE 0 ***"},
      {"time step -0.01", edit(example(kStratum), "\n0.01 \n", "\n-0.01 \n"),
       " *** TIME STEP OF THE TRANSIENT LOAD MUST BE ABOVE 0 ***"},
      {"pile element of thickness -5", edit(example(kPile), "\n2 4 0.3", "\n2 -5 0.3"),
       " *** THICKNESS OF ELEMENT 2 MUST BE ABOVE 0 ***"},
      {"pile element of thickness 0 (NaN everywhere)", edit(example(kPile), "\n3 4 0.3", "\n3 0 0.3"),
       " *** THICKNESS OF ELEMENT 3 MUST BE ABOVE 0 ***"},
      {"shaft element of thickness 0", edit(example(kMulti), "\n1 10 5", "\n1 0 5"),
       " *** THICKNESS OF ELEMENT 1 MUST BE ABOVE 0 ***"},
      {"side layer of thickness -1", edit(example(kHalf), "\n2 1 200 19", "\n2 -1 200 19"),
       " *** THICKNESS OF SIDE LAYER 2 MUST NOT BE NEGATIVE ***"},
      {"pile cap side layer of thickness -1",
       edit(pile_with_side_layer("CIRCULAR=0.6"), "1 1.5 100 17", "1 -1.5 100 17"),
       " *** THICKNESS OF SIDE LAYER 1 MUST NOT BE NEGATIVE ***"},
      {"negative layer velocity", edit(example(kPile), "\n2 150 18", "\n2 -150 18"),
       " *** SHEAR WAVE VELOCITY OF LAYER 2 MUST NOT BE NEGATIVE ***"},
      {"negative stratum velocity", edit(example(kStratum), "\n180 18 0.4", "\n-180 18 0.4"),
       " *** SHEAR WAVE VELOCITY OF THE STRATUM MUST NOT BE NEGATIVE ***"},
      {"negative side-layer velocity", edit(example(kHalf), "\n1 0.5 160", "\n1 0.5 -160"),
       " *** SHEAR WAVE VELOCITY OF SIDE LAYER 1 MUST NOT BE NEGATIVE ***"},
      {"negative unit weight of a shaft layer", edit(example(kMulti), "\n2 600 115", "\n2 600 -115"),
       " *** UNIT WEIGHT OF LAYER 2 MUST NOT BE NEGATIVE ***"},
      {"negative unit weight of the half-space", edit(example(kHalf), "BELOW=260 20", "BELOW=260 -20"),
       " *** UNIT WEIGHT OF THE HALF-SPACE MUST NOT BE NEGATIVE ***"},
      {"negative unit weight below a pile", edit(example(kPile), "BELOW=300 20", "BELOW=300 -20"),
       " *** UNIT WEIGHT OF THE SOIL BELOW MUST NOT BE NEGATIVE ***"},
      {"negative Young's modulus", edit(example(kPile), "1.1 3E7", "1.1 -3E7"),
       " *** YOUNGS MODULUS MUST NOT BE NEGATIVE ***"},
      {"negative shear modulus ratio below a shaft", edit(example(kMulti), "0.05 0.5 1", "0.05 -0.5 1"),
       " *** SHEAR MODULUS RATIO OF LAYER 3 MUST NOT BE NEGATIVE ***"},
      {"negative weak shear ratio", edit(example(kPile), "0.05 1 0.4 0.1 0\n3", "0.05 -1 0.4 0.1 0\n3"),
       " *** WEAK SHEAR RATIO OF LAYER 2 MUST NOT BE NEGATIVE ***"},
      {"negative section area", edit(example(kPile), "0.3 0.3 0.2827", "0.3 0.3 -0.2827"),
       " *** CROSS SECTIONAL AREA OF ELEMENT 1 MUST NOT BE NEGATIVE ***"},
      {"negative soil damping", edit(example(kStratum), "180 18 0.4 0.1", "180 18 0.4 -0.1"),
       " *** MATERIAL DAMPING OF THE STRATUM MUST NOT BE NEGATIVE ***"},
      {"negative mass", edit(example(kPile), "\n20 15 15 10", "\n-20 15 15 10"),
       " *** MASS MUST NOT BE NEGATIVE ***"},
      {"negative stratum embedment", edit(example(kStratum), "0 0 0.5 1 12", "0 0 0.5 -1 12"),
       " *** DEPTH OF EMBEDMENT MUST NOT BE NEGATIVE ***"},
      {"pile cap of radius 0 with side layers", pile_with_side_layer("CIRCULAR=0"),
       " *** FOUNDATION RADIUS (SIDE LAYERS IN USE) MUST BE ABOVE 0 ***"},
      {"pile cap of sides 0 with side layers", pile_with_side_layer("RECTANGULAR=0,0"),
       " *** FOUNDATION SIDE (SIDE LAYERS IN USE) MUST BE ABOVE 0 ***"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun r = run(c.deck);
    EXPECT_EQ(r.result, 3);
    EXPECT_NE(r.report.find("\n\n\n" + std::string(c.message) + "\n PROGRAM WILL NOT EXECUTE\n"), std::string::npos)
        << r.report.substr(r.report.size() > 1500 ? r.report.size() - 1500 : 0);
    EXPECT_EQ(r.report.size() - r.report.rfind(kFatalTail), std::string(kFatalTail).size());
    EXPECT_EQ(r.report.find("FOOTING RESPONSE"), std::string::npos);
    EXPECT_EQ(r.plot, "");
  }
}

// A weak zone with some thickness and a shear ratio not above 0 is an annulus
// without stiffness: refused wherever weak zones are read, with the value as
// the echo prints it.  (It once ran: the single pile's KXX came out negative
// and the embedded footing lost its embedment, with result 0.)
TEST(InputChecks, AWeakZoneWithoutStiffnessIsRefused) {
  auto message = [](const std::string& who, const std::string& value) {
    return " *** WEAK SHEAR RATIO OF " + who + " MUST BE ABOVE 0, NOT " + value + " (1 MEANS NO WEAK ZONE) ***";
  };
  // The main program writes a zone one radius thick for a pile row left at ratio 0.
  const std::string pile_zone = edit(example(kPile), "\n2 150 18 0.4 0.05 1 0.4 0.1 0", "\n2 150 18 0.4 0.05 0 0.4 0.1 1");
  const std::string cap_zone = edit(pile_with_side_layer("CIRCULAR=0.6"), "EMBEDDED=1\n1 1.5 100 17 0.4 0.05\n",
                                    "SIDE\nEMBEDDED=1\n1 1.5 100 17 0.4 0.05 0 0.4 0.05 0.1\n");
  struct Case {
    const char* what;
    std::string deck;
    std::string message;
  } cases[] = {
      {"pile layer, ratio 0", pile_zone, message("LAYER 2", "0.00000")},
      {"pile layer, negative ratio", edit(pile_zone, "0.05 0 0.4 0.1 1", "0.05 -0.5 0.4 0.1 1"),
       message("LAYER 2", "-0.50000")},
      {"shaft's adjacent layer", edit(example(kMulti), "\n2 600 115 0.35 0.05 1 0.35 0.1 0", "\n2 600 115 0.35 0.05 0 0.35 0.1 0.5"),
       message("LAYER 2", "0.00000")},
      {"half-space side layer", edit(example(kHalf), "0.05 0.7 0.3 0.1 0.1", "0.05 0 0.3 0.1 0.1"),
       message("SIDE LAYER 2", "0.00000")},
      {"pile cap's side soil", cap_zone, message("SIDE LAYER 1", "0.00000")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun r = run(c.deck);
    EXPECT_EQ(r.result, 3);
    EXPECT_NE(r.report.find("\n\n\n" + c.message + "\n PROGRAM WILL NOT EXECUTE\n"), std::string::npos)
        << r.report.substr(r.report.size() > 1500 ? r.report.size() - 1500 : 0);
    EXPECT_EQ(r.report.size() - r.report.rfind(kFatalTail), std::string(kFatalTail).size());
    EXPECT_TRUE(r.plot.empty());
  }
  // The same cap's side soil with a weak zone of ratio 0.5 runs.
  EXPECT_EQ(run(edit(cap_zone, "0.05 0 0.4 0.05 0.1", "0.05 0.5 0.4 0.05 0.1")).result, 0);
}

// Without thickness there is no weak zone: a ratio of 0 there runs, and gives
// the plot data of a ratio of 1 (no weakening).
TEST(InputChecks, ARatioOf0WithoutAZoneIsKept) {
  struct Case {
    const char* what;
    std::string unweakened, zero;
  } cases[] = {
      {"pile layers", example(kPile),
       edit(edit(edit(example(kPile), "0.05 1 0.4 0.1 0\n2", "0.05 0 0.4 0.1 0\n2"), "0.05 1 0.4 0.1 0\n3",
                 "0.05 0 0.4 0.1 0\n3"),
            "0.05 1 0.4 0.1 0\nBELOW", "0.05 0 0.4 0.1 0\nBELOW")},
      {"half-space side layers", edit(example(kHalf), "0.05 0.7 0.3 0.1 0.1", "0.05 1 0.3 0.1 0"),
       edit(example(kHalf), "0.05 0.7 0.3 0.1 0.1", "0.05 0 0.3 0.1 0")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun a = run(c.unweakened), b = run(c.zero);
    ASSERT_EQ(a.result, 0);
    ASSERT_EQ(b.result, 0) << b.report.substr(b.report.size() > 1500 ? b.report.size() - 1500 : 0);
    EXPECT_FALSE(a.plot.empty());
    EXPECT_EQ(a.plot, b.plot);
  }
}

// A pile in one soil whose velocity grows with depth (PARABOLIC: one section,
// one soil line and, with WEAK, one line of weak values); `soil` and `weak`
// are those lines.
std::string parabolic_pile(const std::string& soil, const std::string& weak) {
  std::string deck = edit(example(kPile), "LAYERS=3", "PARABOLIC");
  deck = cut(deck, "ELEMENT", "FLOATING");
  deck = edit(deck, "FLOATING", "ELEMENT\n0.3 0.3 0.2827 0.006362 0.006362 0.012723\nFLOATING");
  deck = cut(deck, "1 120 17", "BELOW");
  return edit(deck, "BELOW", soil + "\n" + weak + "\nBELOW");
}

// Every place a deck gives a soil's Poisson's ratio, as a deck with the ratio
// `nu` there, and the name the refusal gives the place.
struct PoissonPlace {
  const char* what;
  std::function<std::string(const std::string& nu)> deck;
  const char* who;
};

std::vector<PoissonPlace> poisson_places() {
  const std::string side_cap = "SIDE\nEMBEDDED=1\n1 1.5 100 17 0.4 0.05 1 ";
  return {
      {"stratum", [](const std::string& nu) { return edit(example(kStratum), "180 18 0.4 0.1", "180 18 " + nu + " 0.1"); },
       "POISSONS RATIO OF THE STRATUM"},
      {"half-space", [](const std::string& nu) { return edit(example(kHalf), "BELOW=260 20 0.3", "BELOW=260 20 " + nu); },
       "POISSONS RATIO OF THE HALF-SPACE"},
      {"half-space side layer",
       [](const std::string& nu) { return edit(example(kHalf), "\n2 1 200 19 0.3 ", "\n2 1 200 19 " + nu + " "); },
       "POISSONS RATIO OF SIDE LAYER 2"},
      {"half-space side layer's weak zone",
       [](const std::string& nu) { return edit(example(kHalf), "0.05 0.6 0.3 0.1", "0.05 0.6 " + nu + " 0.1"); },
       "WEAK POISSONS RATIO OF SIDE LAYER 1"},
      {"pile layer",
       [](const std::string& nu) { return edit(example(kPile), "\n2 150 18 0.4 ", "\n2 150 18 " + nu + " "); },
       "POISSONS RATIO OF LAYER 2"},
      {"pile layer's weak zone",
       [](const std::string& nu) { return edit(example(kPile), "\n3 200 19 0.4 0.05 1 0.4", "\n3 200 19 0.4 0.05 1 " + nu); },
       "WEAK POISSONS RATIO OF LAYER 3"},
      {"soil below a pile",
       [](const std::string& nu) { return edit(example(kPile), "BELOW=300 20 0.35", "BELOW=300 20 " + nu); },
       "POISSONS RATIO OF THE SOIL BELOW"},
      {"parabolic pile soil", [](const std::string& nu) { return parabolic_pile("200 19 " + nu + " 0.05", "1 0.4 0.1 0"); },
       "POISSONS RATIO OF LAYER 1"},
      {"parabolic pile's weak zone",
       [](const std::string& nu) { return parabolic_pile("200 19 0.4 0.05", "1 " + nu + " 0.1 0"); },
       "WEAK POISSONS RATIO OF LAYER 30"},
      {"pile cap side layer",
       [](const std::string& nu) {
         return edit(pile_with_side_layer("CIRCULAR=0.6"), "1 1.5 100 17 0.4", "1 1.5 100 17 " + nu);
       },
       "POISSONS RATIO OF SIDE LAYER 1"},
      {"pile cap side layer's weak zone",
       [side_cap](const std::string& nu) {
         return edit(pile_with_side_layer("CIRCULAR=0.6"), "EMBEDDED=1\n1 1.5 100 17 0.4 0.05\n",
                     side_cap + nu + " 0.05 0.1\n");
       },
       "WEAK POISSONS RATIO OF SIDE LAYER 1"},
      {"shaft's adjacent layer",
       [](const std::string& nu) { return edit(example(kMulti), "\n2 600 115 0.35 ", "\n2 600 115 " + nu + " "); },
       "POISSONS RATIO OF LAYER 2"},
      {"shaft's adjacent layer's weak zone",
       [](const std::string& nu) {
         return edit(example(kMulti), "\n1 500 110 0.35 0.05 1 0.35", "\n1 500 110 0.35 0.05 1 " + nu);
       },
       "WEAK POISSONS RATIO OF LAYER 1"},
      {"soil column below the shaft's adjacent layers",
       [](const std::string& nu) { return edit(example(kMulti), "\n3 700 120 0.35 ", "\n3 700 120 " + nu + " "); },
       "POISSONS RATIO OF LAYER 3"},
      {"soil below a shaft",
       [](const std::string& nu) { return edit(example(kMulti), "BELOW=900 125 0.3", "BELOW=900 125 " + nu); },
       "POISSONS RATIO OF THE SOIL BELOW"},
  };
}

// No isotropic elastic medium has a Poisson's ratio above 0.5 or at or below
// -1.  Such a ratio once ran as a soil: the half-space example with 0.6 gave
// KWW 3.34150E+06 kN/m with result 0 (4/(1 - nu) grows without bound).  It is
// refused wherever a deck gives a soil one, with the value as read.
TEST(InputChecks, APoissonsRatioNoSoilHasIsRefused) {
  for (const PoissonPlace& p : poisson_places()) {
    for (const char* nu : {"0.6", "0.75", "1", "0.50001", "-1", "-1.5"}) {
      SCOPED_TRACE(std::string(p.what) + ", " + nu);
      const EngineRun r = run(p.deck(nu));
      EXPECT_EQ(r.result, 3);
      const std::string message =
          " *** " + std::string(p.who) + " MUST BE ABOVE -1 AND AT MOST 0.5, NOT " + nu + " ***";
      EXPECT_NE(r.report.find("\n\n\n" + message + "\n PROGRAM WILL NOT EXECUTE\n"), std::string::npos)
          << r.report.substr(r.report.size() > 1500 ? r.report.size() - 1500 : 0);
      EXPECT_EQ(r.report.size() - r.report.rfind(kFatalTail), std::string(kFatalTail).size());
      EXPECT_EQ(r.report.find("FOOTING RESPONSE"), std::string::npos);
      EXPECT_EQ(r.plot, "");
    }
  }
}

// 0.5, the incompressible soil, runs where the decks give a ratio; so do
// negative ratios above -1, with which every term stays finite.
TEST(InputChecks, PoissonsRatiosUpTo05AndAboveMinus1Run) {
  for (const PoissonPlace& p : poisson_places()) {
    for (const char* nu : {"0.5", "0.49", "-0.5", "-0.99"}) {
      SCOPED_TRACE(std::string(p.what) + ", " + nu);
      const EngineRun r = run(p.deck(nu));
      EXPECT_EQ(r.result, 0) << r.report.substr(r.report.size() > 1500 ? r.report.size() - 1500 : 0);
      EXPECT_EQ(r.report.find("POISSONS RATIO OF"), std::string::npos);
      EXPECT_EQ(r.report.find("NaN"), std::string::npos);
      EXPECT_EQ(r.report.find("Inf"), std::string::npos);
      EXPECT_NE(r.report.find("RESPONSE"), std::string::npos);
      EXPECT_FALSE(r.plot.empty());
    }
  }
}

TEST(InputChecks, EveryRefusalOfADeckIsListed) {
  std::string deck = edit(example(kPile), "\n2 4 0.3", "\n2 -5 0.3");
  deck = edit(deck, "\n3 200 19", "\n3 -200 19");
  const EngineRun r = run(deck);
  EXPECT_EQ(r.result, 3);
  EXPECT_NE(r.report.find(" *** THICKNESS OF ELEMENT 2 MUST BE ABOVE 0 ***"), std::string::npos);
  EXPECT_NE(r.report.find(" *** SHEAR WAVE VELOCITY OF LAYER 3 MUST NOT BE NEGATIVE ***"), std::string::npos);
}

// Values the program gives a meaning to run as before.
TEST(InputChecks, ValuesWithAMeaningAreKept) {
  struct Case {
    const char* what;
    std::string deck;
  } cases[] = {
      {"free pile tip (Vs 0 below)", edit(example(kPile), "BELOW=300 20", "BELOW=0 20")},
      {"free pile tip (Vs < 0 below)", edit(example(kPile), "BELOW=300 20", "BELOW=-300 20")},
      {"soil layer without stiffness (Vs 0)", edit(example(kPile), "\n1 120 17", "\n1 0 17")},
      {"side layer of thickness 0", edit(example(kHalf), "\n1 0.5 160", "\n1 0 160")},
      {"negative centre of gravity and products of inertia",
       edit(edit(example(kPile), "0 0 0.5 12", "-1 -2 0.5 12"), "20 15 15 10 0 0 0", "20 15 15 10 -1 -1 -1")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun r = run(c.deck);
    EXPECT_EQ(r.result, 0) << r.report.substr(r.report.size() > 1500 ? r.report.size() - 1500 : 0);
    EXPECT_EQ(r.report.find("NaN"), std::string::npos);
    EXPECT_NE(r.report.find("FOOTING RESPONSE AMPLITUDES"), std::string::npos);
  }
}

// Without side layers a pile cap's or a shaft top's plan size enters no
// result: a cap never sized (the new pile project's RECTANGULAR=0,0) runs and
// gives the tables of a sized one, digit for digit.  Half-space and stratum
// footings keep their refusal.
TEST(InputChecks, CapSizeIsCheckedOnlyWhereItIsUsed) {
  struct Case {
    const char* what;
    std::string base, cap, sized, unsized;
  } cases[] = {
      {"pile, circle", example(kPile), "CIRCULAR=0.6", "CIRCULAR=7", "CIRCULAR=0"},
      {"pile, rectangle", example(kPile), "CIRCULAR=0.6", "RECTANGULAR=2,3", "RECTANGULAR=0,0"},
      {"pile, negative radius", example(kPile), "CIRCULAR=0.6", "CIRCULAR=0.6", "CIRCULAR=-1"},
      {"multilayer, circle", example(kMulti), "CIRCULAR=5", "CIRCULAR=5", "CIRCULAR=0"},
      {"multilayer, rectangle", example(kMulti), "CIRCULAR=5", "RECTANGULAR=4,6", "RECTANGULAR=0,0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun sized = run(edit(c.base, c.cap, c.sized));
    const EngineRun unsized = run(edit(c.base, c.cap, c.unsized));
    ASSERT_EQ(sized.result, 0);
    ASSERT_EQ(unsized.result, 0) << unsized.report.substr(unsized.report.size() > 1500 ? unsized.report.size() - 1500 : 0);
    EXPECT_FALSE(sized.plot.empty());
    EXPECT_EQ(sized.plot, unsized.plot);
  }
  for (const char* cap : {"CIRCULAR=0", "RECTANGULAR=0,0", "RECTANGULAR=8,-5"}) {
    SCOPED_TRACE(cap);
    const EngineRun r = run(edit(example(kHalf), "RECTANGULAR=8,5", cap));
    EXPECT_EQ(r.result, 3);
    EXPECT_NE(r.report.find("  *** BAD DATA IN GEOMETRY DESCRIPTION ***"), std::string::npos);
    const EngineRun s = run(edit(example(kStratum), "CIRCULAR=3", cap));
    EXPECT_EQ(s.result, 3);
    EXPECT_NE(s.report.find("  *** BAD DATA IN GEOMETRY DESCRIPTION ***"), std::string::npos);
  }
  // With side layers the cap's radii enter the result: a sized cap runs.
  EXPECT_EQ(run(pile_with_side_layer("CIRCULAR=0.6")).result, 0);
}

}  // namespace
