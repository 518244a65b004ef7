// The LOAD block: harmonic loads moved to the centre of gravity, random
// spectra, transient records transformed at reading, echoes, messages and
// the table limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "kernels/complex_types.h"
#include "prepass.h"
#include "reader_fixture.h"
#include "readers.h"
#include "rt/format.h"
#include "state.h"

namespace {

using Lines = std::vector<std::string>;

// GRAV 9.8 has been read: SI labels.
void si_labels() {
  eng::g.run.unit_system = 2;
  eng::SET_UNIT_LABELS();
}

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

TEST(ReadLoad, HarmonicNonQuadraticEcho) {
  // Fz = 10 at (1, 0, 0): My = 0 - 0 + 1 * 10.
  harness::ReaderFixture f("HARM\nCONS\nNONQ\n6.28 0 3.14\n0 0 10 0 0 0\n1 0 0 0\n");
  si_labels();
  eng::READ_LOAD();
  const Lines expected = {
      "", "", " HARMONIC LOAD, NON QUADRATIC", " " + std::string(28, '*'), "",
      " MAXIMUM FREQUENCY .............. 1.000E+00 Hz",
      " MINIMUM FREQUENCY .............. 0.000E+00 Hz",
      " STEP FREQUENCY ................. 5.000E-01 Hz",
      " FORCE IN X-DIRECTION  .......... 0.000E+00 kN.",
      " FORCE IN Y-DIRECTION  .......... 0.000E+00 kN.",
      " FORCE IN Z-DIRECTION  .......... 1.000E+01 kN.",
      " MOMENT ABOUT X-AXIS  ........... 0.000E+00 kN-m ",
      " MOMENT ABOUT Y-AXIS  ........... 1.000E+01 kN-m ",
      " MOMENT ABOUT Z-AXIS  ........... 0.000E+00 kN-m ",
  };
  expect_lines(f.report_lines(), expected);
  const eng::LoadData& d = eng::g.load;
  EXPECT_EQ(eng::g.run.load_type, 3);
  EXPECT_EQ(eng::g.run.harmonic_form, 1);
  EXPECT_EQ(d.max_frequency, 6.28f);
  EXPECT_EQ(d.min_frequency, 0.0f);
  EXPECT_EQ(d.frequency_step, 3.14f);
  const float expected_load[6] = {0, 0, 10, 0, 10, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(d.harmonic[i], expected_load[i]) << i;
  EXPECT_EQ(eng::g.run.fatal, 0);
}

TEST(ReadLoad, HarmonicQuadraticLoadPointRelativeToSecondPoint) {
  // Point (1, 2, 3) in local axes (z up) with the centre of the base at
  // (0.5, 1, 2) there and at (0.2, 0.4, 1.5) from the centre of gravity
  // (global axes, z down): the centre of gravity is at (0.3, 0.6, 3.5) in
  // local axes, so the point is at x = 0.7, y = 1.4, z = 3.5 - 3 = 0.5.
  //   Mx = 1 - 1.4 * 5 + 0.5 * 3 = -4.5
  //   My = 2 - 0.5 * 2 + 0.7 * 5 =  4.5
  //   Mz = 4 - 0.7 * 3 + 1.4 * 2 =  4.7
  harness::ReaderFixture f("HARM\nCONS\nQUAD\n62.8 6.28 6.28\n2 3 5 1 2 4\n1 2 3 1\n0.5 1 2\nSOIL\n");
  si_labels();
  eng::g.foundation.xc = 0.2f;
  eng::g.foundation.yc = 0.4f;
  eng::g.foundation.zc = 1.5f;
  eng::READ_LOAD();
  const eng::LoadData& d = eng::g.load;
  EXPECT_EQ(eng::g.run.harmonic_form, 2);
  const double expected_load[6] = {2, 3, 5, -4.5, 4.5, 4.7};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(d.harmonic[i], expected_load[i], 1e-5) << i;
  const Lines expected = {
      "", "", " HARMONIC LOAD, QUADRATIC", " " + std::string(24, '*'), "",
      " MAXIMUM FREQUENCY .............. 1.000E+01 Hz",
      " MINIMUM FREQUENCY .............. 1.000E+00 Hz",
      " STEP FREQUENCY ................. 1.000E+00 Hz",
      " FORCE COEFF. IN X-DIRECTION  ... 2.000E+00 Mg-m   ",
      " FORCE COEFF. IN Y-DIRECTION  ... 3.000E+00 Mg-m   ",
      " FORCE COEFF. IN Z-DIRECTION  ... 5.000E+00 Mg-m   ",
      " MOMENT COEFF. ABOUT X-AXIS  ....-4.500E+00 Mg-m**2   ",
      " MOMENT COEFF. ABOUT Y-AXIS  .... 4.500E+00 Mg-m**2   ",
      " MOMENT COEFF. ABOUT Z-AXIS  .... 4.700E+00 Mg-m**2   ",
  };
  expect_lines(f.report_lines(), expected);
  EXPECT_EQ(next_word(), "SOIL");
}

// A point given in the local axes of the mass components lands where the
// same point given from the centre of gravity does, wherever the local origin
// is.  Each case places the centre of gravity G and the centre of the base B
// in local axes (z up); the deck's centre of gravity line then holds B as seen
// from G in global axes (z down), and the point's global coordinates are its
// local ones seen from G with z reversed.
TEST(ReadLoad, ALocalLoadPointActsWhereItsGlobalPointDoes) {
  struct Case {
    const char* what;
    double g[3], b[3], p[3];
  } cases[] = {
      {"local origin at the base", {0, 0, 1}, {0, 0, 0}, {0.5, -0.25, 2}},
      {"base 0.5 above the origin", {0.2, -0.1, 1.5}, {0.2, -0.1, 0.5}, {1.2, 0.9, 2.5}},
      {"origin above the base", {1, 2, -3}, {1.5, 2.5, -4.25}, {0, 0, 0}},
      {"point below the base", {-2, 1, 7}, {-2, 1, 6}, {-1, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const double centre[3] = {c.b[0] - c.g[0], c.b[1] - c.g[1], c.g[2] - c.b[2]};
    const double global[3] = {c.p[0] - c.g[0], c.p[1] - c.g[1], c.g[2] - c.p[2]};
    auto loads = [&](const std::string& point) {
      harness::ReaderFixture f("HARM\nCONS\nNONQ\n6.28 6.28 1\n10 -4 20 1 5 -3\n" + point + "\nSOIL\n");
      si_labels();
      eng::g.foundation.xc = float(centre[0]);
      eng::g.foundation.yc = float(centre[1]);
      eng::g.foundation.zc = float(centre[2]);
      eng::READ_LOAD();
      EXPECT_EQ(eng::g.run.fatal, 0);
      std::vector<double> h(eng::g.load.harmonic, eng::g.load.harmonic + 6);
      return h;
    };
    auto text = [](const double* v) {
      return rt::fmt_f(v[0], 10, 4) + " " + rt::fmt_f(v[1], 10, 4) + " " + rt::fmt_f(v[2], 10, 4);
    };
    const std::vector<double> from_g = loads(text(global) + " 0");
    const std::vector<double> local = loads(text(c.p) + " 1 " + text(c.b));
    // M - r x F with r the global point.
    const double F[3] = {10, -4, 20};
    const double expected[6] = {10, -4, 20, 1 - global[1] * F[2] + global[2] * F[1],
                                5 - global[2] * F[0] + global[0] * F[2], -3 - global[0] * F[1] + global[1] * F[0]};
    for (int i = 0; i < 6; ++i) {
      EXPECT_NEAR(from_g[i], expected[i], 1e-4) << i;
      EXPECT_NEAR(local[i], expected[i], 1e-4) << i;
    }
  }
}

// The whole run: the footing examples with their load point given from the
// centre of gravity and again in local axes whose origin is not at the base
// give the same report (the loads at the centre of gravity and every result)
// and the same plot data.
TEST(ReadLoad, ARunWithALocalLoadPointIsTheRunWithItsGlobalPoint) {
  struct Case {
    const char* example;
    const char* point;   // the example's point line
    const char* global;  // a point line from the centre of gravity
    const char* local;   // the same point, base centre at (0.25, -0.125, 0.5) in local axes
  } cases[] = {
      // Base 1 below the centre of gravity, which is at (0.25, -0.125, 1.5) in local axes.
      {"halfspace-harmonic.tmx", "\n0 0 0 0 \n", "\n1 1 -1 0 \n", "\n1.25 0.875 2.5 1 0.25 -0.125 0.5 \n"},
      // Base 1.2 below it; the point at the level of the base.  (The numbers are
      // chosen so that both decks give the engine the same single-precision
      // point to the last bit.)
      {"halfspace-embedded-harmonic.tmx", "\n0 0 0.8 0 \n", "\n0.5 -0.25 1.2 0 \n",
       "\n0.75 -0.375 0.5 1 0.25 -0.125 0.5 \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    const std::string deck = harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/examples/" + c.example);
    const std::size_t at = deck.find(c.point);
    ASSERT_NE(at, std::string::npos);
    auto with = [&](const char* point) {
      return deck.substr(0, at) + point + deck.substr(at + std::string(c.point).size());
    };
    const harness::EngineRun g = harness::run_engine(with(c.global));
    const harness::EngineRun l = harness::run_engine(with(c.local));
    ASSERT_EQ(g.result, 0) << g.report;
    ASSERT_EQ(l.result, 0) << l.report;
    EXPECT_FALSE(g.plot.empty());
    EXPECT_EQ(g.plot, l.plot);
    // Every line but those naming the run's own folder and the clock time of the run.
    auto own_lines = [](const harness::EngineRun& r) {
      std::vector<std::string> lines = r.report_lines();
      std::erase_if(lines, [](const std::string& line) {
        for (const char* run_own : {"Path to file locations", "RUN DATE -", "TIME     -"})
          if (line.find(run_own) != std::string::npos) return true;
        return false;
      });
      return lines;
    };
    EXPECT_EQ(own_lines(g), own_lines(l));
  }
}

TEST(ReadLoad, LoadPointMovesOnlyForSwitchOne) {
  // Fz = 10 at (1, 0, 0), centre of gravity (0.2, 0, 0); with switch 1 the
  // second point (0.5, 0, 0) moves x to 1 - 0.3 = 0.7 (My = 7), any other
  // switch (1.4 rounds to 1, yet is not 1) keeps the point (My = 10) and
  // reads no second point.
  struct Case {
    const char* s;
    double my;
    const char* next;
  } cases[] = {{"1", 7.0, "SOIL"}, {"1.4", 10.0, "0.5"}, {"0.6", 10.0, "0.5"}, {"0", 10.0, "0.5"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s);
    harness::ReaderFixture f(std::string("HARM\nCONS\nNONQ\n6.28 6.28 1\n0 0 10 0 0 0\n1 0 0 ") + c.s +
                             "\n0.5 0 0\nSOIL\n");
    si_labels();
    eng::g.foundation.xc = 0.2f;
    eng::READ_LOAD();
    EXPECT_NEAR(eng::g.load.harmonic[4], c.my, 1e-5);
    EXPECT_EQ(rt::rtrim(next_word()).substr(0, 3), std::string(c.next).substr(0, 3));
  }
}

TEST(ReadLoad, UnknownTypeWordIsReportedByTheKeywordLookUp) {
  harness::ReaderFixture f("HARX\nCONS\n");
  eng::READ_LOAD();
  expect_lines(f.report_lines(), {"", "", " UNRECOGNIZED KEYWORD - HARX", "", "",
                                  " INVALID OR UNRECOGNIZED KEYWORD - HARX FOR LOAD    TYPE",
                                  " PROGRAM WILL NOT EXECUTE"});
  // A keyword of the table that is no load type: the type message alone.
  harness::ReaderFixture g2("SOIL\nCONS\n");
  eng::READ_LOAD();
  expect_lines(g2.report_lines(), {"", "", " INVALID OR UNRECOGNIZED KEYWORD - SOIL FOR LOAD    TYPE",
                                   " PROGRAM WILL NOT EXECUTE"});
}

TEST(ReadLoad, HarmonicFormWordMissingLosesOneNumber) {
  // The first number stands where NONQ or QUAD is due and is consumed.
  harness::ReaderFixture f("HARM\nCONS\n99\n6.28 0 3.14\n0 0 0 0 0 0\n0 0 0 0\n");
  eng::g.run.echo = 0;
  eng::READ_LOAD();
  EXPECT_EQ(eng::g.run.harmonic_form, 1);
  EXPECT_EQ(eng::g.load.max_frequency, 6.28f);
  EXPECT_EQ(eng::g.run.fatal, 0);
}

TEST(ReadLoad, RandomSpectraEchoAndSymmetricSpectralMatrix) {
  harness::ReaderFixture f("RAND\nCONS\n100 10 3 60 2\n3 3\n1 2 3\n1 3\n4 5 6\n");
  si_labels();
  eng::READ_LOAD();
  const Lines expected = {
      "", "", " RANDOM LOAD", " ***********", "",
      " MAXIMUM FREQUENCY (Hz)  ........ 15.924",
      " MINIMUM FREQUENCY (Hz) .........  1.592",
      " NUMBER OF POINTS  ..............   3",
      " NUMBER OF SPECTRA  .............   2",
      "", " LOCATION OF SPECTRA  -    3    3", "", " LOAD AMPLITUDES kN.", "",
      "   0.100E+01", "   0.200E+01", "   0.300E+01",
      "", " LOCATION OF SPECTRA  -    1    3", "", " LOAD AMPLITUDES kN.", "",
      "   0.400E+01", "   0.500E+01", "   0.600E+01",
  };
  expect_lines(f.report_lines(), expected);
  const eng::LoadData& d = eng::g.load;
  EXPECT_EQ(eng::g.run.load_type, 2);
  EXPECT_EQ(d.frequency_step, 45.0f);  // (100 - 10) / (3 - 1)
  EXPECT_EQ(d.random_points, 3.0f);
  EXPECT_EQ(d.observation_period, 60.0f);
  EXPECT_EQ(d.spectrum_location[1][0], 1);
  EXPECT_EQ(d.spectrum_location[1][1], 3);
  for (int k = 0; k < 3; ++k) {
    const eng::cfloat* s = d.spectral_matrix[k];
    EXPECT_EQ(eng::at(s, 6, 3, 3), eng::cfloat(static_cast<float>(k + 1), 0.0f));
    EXPECT_EQ(eng::at(s, 6, 1, 3), eng::cfloat(static_cast<float>(k + 4), 0.0f));
    EXPECT_EQ(eng::at(s, 6, 3, 1), eng::cfloat(static_cast<float>(k + 4), 0.0f));
    EXPECT_EQ(eng::at(s, 6, 1, 1), eng::cfloat(0.0f, 0.0f));
    EXPECT_EQ(eng::at(d.random_amplitude[k], 6, 3, 1), 0.0f);  // amplitudes by ordered pair
  }
  EXPECT_EQ(eng::g.run.fatal, 0);
}

TEST(ReadLoad, RandomLoadOfOnePointDividesByOne) {
  harness::ReaderFixture f("RAND\nCONS\n50 20 1 10 1\n2 2\n7\n");
  eng::g.run.echo = 0;
  eng::READ_LOAD();
  EXPECT_EQ(eng::g.load.frequency_step, 30.0f);
  EXPECT_EQ(eng::at(eng::g.load.spectral_matrix[0], 6, 2, 2), eng::cfloat(7.0f, 0.0f));
}

TEST(ReadLoad, TransientEchoPerLoadCode) {
  harness::ReaderFixture f("TRAN\nCONS\n3 0.01 3\n1\n1 0 0\n4\n0 2 0\n6\n0 0 -3\n");
  si_labels();
  eng::READ_LOAD();
  const Lines expected = {
      "", "", " TRANSIENT LOAD", " **************", "",
      " NUMBER OF POINTS  ..............     3",
      " TIME INTERVAL BETWEEN POINTS  ..  0.010",
      " NUMBER OF LOADS  ...............  3",
      "", " LOAD TYPE CODE - 1 (FORCE IN X-DIRECTION)", "", " LOAD AMPLITUDES kN.", "",
      "    1.000E+00", "    0.000E+00", "    0.000E+00",
      "", " LOAD TYPE CODE - 4 (ROTATION ABOUT X-AXIS)", "", " LOAD AMPLITUDES", " kN-m ",
      "    0.000E+00", "    2.000E+00", "    0.000E+00",
      "", " LOAD TYPE CODE - 6 (ROTATION ABOUT Z-AXIS)", "", " LOAD AMPLITUDES kN-m ", "",
      "    0.000E+00", "    0.000E+00", "   -3.000E+00",
  };
  expect_lines(f.report_lines(), expected);
  EXPECT_EQ(eng::g.run.load_type, 1);
  EXPECT_EQ(eng::g.load.half_points_plus_two, 3.5f);
  EXPECT_EQ(eng::g.load.load_code[1], 4);
}

// Direct discrete Fourier transform of the conjugated reading: the spectrum
// of point k is (1/p) * sum over j of a_j * exp(-2*pi*i*j*k/N).
std::vector<std::complex<double>> direct_spectrum(const std::vector<double>& a, double p) {
  const std::size_t n = a.size();
  std::vector<std::complex<double>> out(n);
  for (std::size_t k = 0; k < n; ++k) {
    std::complex<double> s = 0.0;
    for (std::size_t j = 0; j < n; ++j)
      s += a[j] * std::polar(1.0, -2.0 * M_PI * static_cast<double>(j * k) / static_cast<double>(n));
    out[k] = s / p;
  }
  return out;
}

TEST(ReadLoad, TransientRecordsAreTransformedAtReading) {
  struct Record {
    int code;
    std::vector<double> a;
  };
  const auto series = [](int n, double phase) {
    std::vector<double> a(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(j)] = std::sin(0.7 * j + phase) + 0.1 * (j % 5);
    return a;
  };
  for (const int n : {8, 12, 15, 1000, 1024}) {
    SCOPED_TRACE(n);
    // Codes 3 and 5; a third record of code 3 replaces the first.
    const std::vector<Record> records = {{3, series(n, 0.0)}, {5, series(n, 1.0)}, {3, series(n, 2.0)}};
    std::string deck = "TRAN\nCONS\n" + std::to_string(n) + " 0.005 3\n";
    for (const Record& r : records) {
      deck += std::to_string(r.code) + "\n";
      for (double v : r.a) deck += rt::fmt_f(v, 12, 7) + "\n";
    }
    harness::ReaderFixture f(deck);
    eng::g.run.echo = 0;
    eng::READ_LOAD();
    ASSERT_EQ(eng::g.run.fatal, 0);
    const eng::LoadData& d = eng::g.load;
    for (const int r : {1, 2}) {
      std::vector<double> read(records[static_cast<std::size_t>(r)].a.size());
      for (std::size_t j = 0; j < read.size(); ++j) read[j] = d.load_amplitude[r][j];
      const auto expected = direct_spectrum(read, n);
      const int c = records[static_cast<std::size_t>(r)].code;
      for (int k = 0; k < n; ++k) {
        const eng::cfloat got = d.load_spectrum[k][c - 1];
        ASSERT_NEAR(got.real(), expected[static_cast<std::size_t>(k)].real(), 2e-5) << "code " << c << " k " << k;
        ASSERT_NEAR(got.imag(), expected[static_cast<std::size_t>(k)].imag(), 2e-5) << "code " << c << " k " << k;
      }
    }
    for (int k = 0; k < n; ++k) EXPECT_EQ(d.load_spectrum[k][0], eng::cfloat(0.0f, 0.0f));
    EXPECT_EQ(d.time_points, static_cast<float>(n));
  }
}

TEST(ReadLoad, TransientImpulseAndConstantRecords) {
  harness::ReaderFixture f("TRAN\nCONS\n8 0.1 2\n2\n1 0 0 0 0 0 0 0\n3\n1 1 1 1 1 1 1 1\n");
  eng::g.run.echo = 0;
  eng::READ_LOAD();
  const eng::LoadData& d = eng::g.load;
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(d.load_spectrum[k][1].real(), 0.125f, 1e-7);
    EXPECT_NEAR(d.load_spectrum[k][1].imag(), 0.0f, 1e-7);
    EXPECT_NEAR(std::abs(d.load_spectrum[k][2] - eng::cfloat(k == 0 ? 1.0f : 0.0f, 0.0f)), 0.0f, 1e-6);
  }
  EXPECT_EQ(d.half_points_plus_two, 6.0f);
  EXPECT_EQ(f.report_lines(), Lines{});  // echo off
}

struct ErrorCase {
  const char* name;
  std::string deck;
  Lines message;  // from the line after the two empty lines on
  const char* next;  // the word read next ("" = not checked)
};

std::string repeat_line(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line;
  return s;
}

TEST(ReadLoad, ErrorMessagesAndTableLimits) {
  const std::string never = " PROGRAM WILL NOT EXECUTE";
  const Lines load_error = {"  ERROR ENCOUNTERED IN LOAD DESCRIPTION", "         - WILL CONTINUE TO PROCESS DATA",
                            "      - CANNOT EXECUTE T HIS PROBLEM SET"};
  const auto with_load_error = [&](Lines head) {
    head.insert(head.end(), {"", ""});
    head.insert(head.end(), load_error.begin(), load_error.end());
    return head;
  };
  const ErrorCase cases[] = {
      {"load type", "PULS\nCONS\n", {" INVALID OR UNRECOGNIZED KEYWORD - PULS FOR LOAD    TYPE", never}, "CONS"},
      {"CONS missing", "HARM\nNONQ\n6.28\n", {" 'CONSTANT' KEYWORD MISSING FOR LOAD DESCRIPTION", never}, "6.28"},
      {"harmonic short", "HARM\nCONS\nNONQ\n6.28 0 1\n0 0 0 0 0\nSOIL\n", load_error, "SOIL"},
      {"harmonic switch missing", "HARM\nCONS\nNONQ\n6.28 0 1\n0 0 0 0 0 0\n0 0 0\n", load_error, ""},
      {"spectrum location 7", "RAND\nCONS\n10 1 2 5 1\n7 7\n1 1\n",
       with_load_error({" ERROR - LOCATION OF SPECTRA (   7 ) CANNOT BE ",
                        "         LESS THAN 1 OR EXCEED A VALUE OF 6"}),
       "7."},
      {"second location 0", "RAND\nCONS\n10 1 2 5 1\n1 0\n1 1\n",
       with_load_error({" ERROR - LOCATION OF SPECTRA (   0 ) CANNOT BE ",
                        "         LESS THAN 1 OR EXCEED A VALUE OF 6"}),
       "1."},
      {"load code 0", "TRAN\nCONS\n2 0.1 1\n0\n1 1\n",
       with_load_error({" ERROR - LOAD TYPE INDICATOR (   0 ) CANNOT BE ",
                        "         LESS THAN 1 OR EXCEED A VALUE OF 6"}),
       "1."},
      {"1025 transient points", "TRAN\nCONS\n1025 0.01 1\n1\n",
       {" ERROR - NUMBER OF TRANSIENT POINTS EXCEEDS 1024", never}, "1."},
      {"no transient points", "TRAN\nCONS\n0.4 0.01 1\n1\n",
       {" ERROR - NUMBER OF TRANSIENT POINTS MUST BE AT LEAST 1", never}, "1."},
      {"11 transient loads", "TRAN\nCONS\n4 0.01 11\n1\n",
       {" ERROR - NUMBER OF TRANSIENT LOADS EXCEEDS 10", never}, "1."},
      {"201 random points", "RAND\nCONS\n10 1 201 5 1\n1 1\n",
       {" ERROR - NUMBER OF RANDOM LOAD POINTS EXCEEDS 200", never}, "1."},
      {"101 spectra", "RAND\nCONS\n10 1 2 5 101\n1 1\n", {" ERROR - NUMBER OF SPECTRA EXCEEDS 100", never}, "1."},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    harness::ReaderFixture f(c.deck);
    si_labels();
    eng::READ_LOAD();
    const Lines all = f.report_lines();
    const Lines from = f.report_from(c.message[0]);
    ASSERT_FALSE(from.empty()) << f.report_text();
    const std::size_t at = all.size() - from.size();
    // The code messages stand after one empty line, the others after two.
    const bool code_message = c.message[0].find("CANNOT BE") != std::string::npos;
    ASSERT_GE(at, code_message ? 1u : 2u);
    EXPECT_EQ(all[at - 1], "");
    if (!code_message) {
      EXPECT_EQ(all[at - 2], "");
    }
    expect_lines(from, c.message);
    EXPECT_EQ(eng::g.run.fatal, 1);
    if (*c.next) {
      EXPECT_EQ(next_word(), rt::pad(c.next, 4));
    }
  }
}

TEST(ReadLoad, LargestTablesAreAccepted) {
  {
    // 1024 points of 10 transient loads.
    std::string deck = "TRAN\nCONS\n1024 0.001 10\n";
    for (int s = 1; s <= 10; ++s) deck += std::to_string((s - 1) % 6 + 1) + "\n" + repeat_line("0.5\n", 1024);
    harness::ReaderFixture f(deck);
    eng::g.run.echo = 0;
    eng::READ_LOAD();
    EXPECT_EQ(eng::g.run.fatal, 0);
    EXPECT_NEAR(eng::g.load.load_spectrum[0][3].real(), 0.5f, 1e-6);  // code 4, last given by load 10
    EXPECT_EQ(eng::g.load.half_points_plus_two, 514.0f);
  }
  {
    // 200 points of 100 spectra.
    std::string deck = "RAND\nCONS\n100 1 200 10 100\n";
    for (int j = 0; j < 100; ++j)
      deck += std::to_string(j % 6 + 1) + " " + std::to_string((j / 6) % 6 + 1) + "\n" + repeat_line("2\n", 200);
    harness::ReaderFixture f(deck);
    eng::g.run.echo = 0;
    eng::READ_LOAD();
    EXPECT_EQ(eng::g.run.fatal, 0);
    EXPECT_EQ(eng::g.load.spectrum_location[99][0], 4);
    EXPECT_EQ(eng::at(eng::g.load.spectral_matrix[199], 6, 4, 5), eng::cfloat(2.0f, 0.0f));
  }
}

}  // namespace
