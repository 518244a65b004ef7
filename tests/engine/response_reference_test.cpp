// Transient and random responses through the real library, against
// references computed here from the printed stiffness and damping tables:
// a direct Fourier sum of the transfer values for a load pulse (odd and even
// point counts), and the response spectra of a coupled sway-rocking footing
// under spectra with a cross spectrum.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "report_tables.h"

namespace {

using cd = std::complex<double>;
using harness::EngineRun;
using harness::run_engine;

constexpr double kPi = 3.1415927;  // the engine's pi

// A circular footing (radius 2) on a half-space without side layers; mass
// 100, mass moments 50, 60, 70; the centre of gravity `zc` above the base.
std::string footing_deck(const std::string& load, const std::string& zc) {
  return "TITLE=Reference footing\nMATRIX\nGRAVITY=10\nFOUNDATION=HALF-SPACE\nCIRCULAR=2\nMASS \n"
         "100 50 60 70 0 0 0\nCONSTANTS \n0 0 " + zc + " \nSOIL \nCONSTANTS=1\n1 0 200 20 0.25 0\n"
         "BELOW=200 20 0.25 0.05\nLOAD \n" + load + "RUN \n0\n";
}

using report_tables::Table;
using report_tables::tables;

std::vector<double> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> v;
  double x;
  while (in >> x) v.push_back(x);
  return v;
}

// The rows of the transient table: time and the six real parts.
std::vector<std::vector<double>> transient_rows(const EngineRun& run, int p) {
  const auto lines = run.report_lines();
  std::size_t head = 0;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == "                        FOOTING RESPONSE AMPLITUDES") head = i;
  std::vector<std::vector<double>> rows;
  for (std::size_t i = head + 9; i < lines.size() && static_cast<int>(rows.size()) < p; ++i)
    rows.push_back(numbers(lines[i]));
  return rows;
}

// The vertical history of the footing under the vertical load record f
// (p points, step dt), as the sound transient analysis gives it: the load's
// Fourier coefficients F_k = (1/p) sum f_j e^(-2 pi i jk/p), the transfer
// value U_k = F_k / (KWW - w² m + i w CWW) from the printed pass-2 tables
// for k = 0 .. p/2, the values above p/2 the conjugates of their mirrors,
// and the history u_j = sum U_k e^(+2 pi i jk/p).  The imaginary part of
// U_0 is dropped, and that of U_(p/2) for an even count (the Nyquist point),
// as the analysis does.
std::vector<double> vertical_history(const std::vector<Table>& t, const std::vector<double>& f, double mass) {
  const int p = static_cast<int>(f.size());
  const int n = p / 2 + 1;
  std::vector<cd> u(static_cast<std::size_t>(p));
  for (int k = 0; k < n; ++k) {
    cd fk = 0;
    for (int j = 0; j < p; ++j) fk += f[j] * std::polar(1.0, -2 * kPi * j * k / p);
    fk /= p;
    const double w = t[k].omega;
    const cd kv(t[k].v.at("KWW") - w * w * mass, w * t[k].v.at("CWW"));
    u[k] = fk / kv;
  }
  for (int k = n; k < p; ++k) u[k] = std::conj(u[p - k]);
  u[0] = u[0].real();
  if (p % 2 == 0) u[n - 1] = u[n - 1].real();
  std::vector<double> h(static_cast<std::size_t>(p));
  for (int j = 0; j < p; ++j) {
    cd s = 0;
    for (int k = 0; k < p; ++k) s += u[k] * std::polar(1.0, 2 * kPi * j * k / p);
    h[j] = s.real();
  }
  return h;
}

TEST(ResponseReference, TransientPulseMatchesTheDirectFourierSum) {
  for (int p : {45, 44, 16, 15}) {
    SCOPED_TRACE(p);
    // A lopsided pulse: a sharp rise and a slow decay, so that a history run
    // backwards in time, or one built without conjugates, looks different.
    std::vector<double> f(static_cast<std::size_t>(p), 0.0);
    const double pulse[] = {0, 1000, 4000, 3000, 1500, 700, 300, 100};
    for (int j = 0; j < 8 && j + 2 < p; ++j) f[static_cast<std::size_t>(j) + 2] = pulse[j];
    const double dt = 0.01;
    std::string load = "TRANSIENT \nCONSTANTS \n" + std::to_string(p) + " \n0.01 \n1 \n3 \n";
    for (double v : f) load += std::to_string(v) + " \n";
    const EngineRun run = run_engine(footing_deck(load, "0"));
    ASSERT_EQ(run.result, 0) << run.report;
    const std::vector<Table> t = tables(run, 2);
    ASSERT_EQ(static_cast<int>(t.size()), p / 2 + 1);
    // The loop's frequencies: 0.01, then 2 pi k/(p dt).
    EXPECT_NEAR(t[0].omega, 0.01, 1e-9);
    EXPECT_NEAR(t[1].omega, 2 * kPi / (p * dt), 1e-3);

    const std::vector<double> ref = vertical_history(t, f, 100.0);
    const auto rows = transient_rows(run, p);
    ASSERT_EQ(static_cast<int>(rows.size()), p);
    double peak = 0;
    for (double v : ref) peak = std::max(peak, std::fabs(v));
    ASSERT_GT(peak, 1e-4);
    for (int j = 0; j < p; ++j) {
      ASSERT_EQ(rows[j].size(), 7u);
      EXPECT_NEAR(rows[j][0], (j + 1) * dt, 1e-6);  // the first row is at dt
      EXPECT_NEAR(rows[j][3], ref[j], 2e-4 * peak) << "row " << j + 1;
      EXPECT_NEAR(rows[j][1], 0.0, 1e-12);  // no horizontal load, no coupling (zc = 0)
    }
  }
}

TEST(ResponseReference, RandomSpectraIncludeTheCrossSpectrum) {
  // Force in x (code 1), moment about y (code 5) and their cross spectrum
  // (1 5) on a footing whose centre of gravity lies 1.5 above the base, so
  // that sway and rocking are coupled.
  const int p = 11;
  std::vector<double> s11, s55, s15;
  for (int k = 0; k < p; ++k) {
    s11.push_back(1000.0 * (1 + k));
    s55.push_back(4000.0);
    s15.push_back(0.9 * std::sqrt(s11.back() * s55.back()));
  }
  std::string load = "RANDOM \nCONSTANTS \n300 \n50 \n11 \n100 \n3 \n";
  auto spectrum = [&](const char* codes, const std::vector<double>& a) {
    load += std::string(codes) + " \n";
    for (double v : a) load += std::to_string(v) + " \n";
  };
  spectrum("1 1", s11);
  spectrum("5 5", s55);
  spectrum("1 5", s15);
  const EngineRun run = run_engine(footing_deck(load, "1.5"));
  ASSERT_EQ(run.result, 0) << run.report;
  const std::vector<Table> t = tables(run, 1);
  ASSERT_EQ(static_cast<int>(t.size()), p);

  // Printed spectra of translation in x (S1) and of rotation about y (S5).
  const auto lines = run.report_lines();
  auto printed = [&](const std::string& title) {
    std::vector<double> s;
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == title)
        for (std::size_t j = i + 4; j < i + 4 + p; ++j) s.push_back(numbers(lines[j]).at(1));
    return s;
  };
  const std::vector<double> p1 = printed("               RESPONSE SPECTRA CURVE OF TRANSLATION");
  const std::vector<double> p5 = printed("               RESPONSE SPECTRA CURVE OF ROTATION");
  ASSERT_EQ(static_cast<int>(p1.size()), p);
  ASSERT_EQ(static_cast<int>(p5.size()), p);

  double cross_share = 0;
  for (int k = 0; k < p; ++k) {
    SCOPED_TRACE(k);
    const Table& a = t[k];
    const double w = a.omega;
    // The sway-rocking block at the centre of gravity.  K(5,1) is printed
    // (KYP, CYP); K(1,5) is the same term (reciprocity), the damping factor
    // 0.7 included.
    const cd k11(a.v.at("KXX") - w * w * 100.0, w * a.v.at("CXX"));
    const cd k55(a.v.at("KPPY") - w * w * 60.0, w * a.v.at("CPPY"));
    const cd k51(a.v.at("KYP"), w * a.v.at("CYP"));
    const cd k15 = k51;
    const cd det = k11 * k55 - k15 * k51;
    const cd h11 = k55 / det, h15 = -k15 / det, h51 = -k51 / det, h55 = k11 / det;
    auto response = [&](cd hx1, cd hx5, bool cross) {
      double s = std::norm(hx1) * s11[k] + std::norm(hx5) * s55[k];
      if (cross) s += 2 * (hx1 * std::conj(hx5)).real() * s15[k];
      return s;
    };
    const double r1 = response(h11, h15, true), r5 = response(h51, h55, true);
    EXPECT_NEAR(p1[k], r1, 2e-3 * r1);
    EXPECT_NEAR(p5[k], r5, 2e-3 * r5);
    cross_share = std::max(cross_share, std::fabs(r1 - response(h11, h15, false)) / r1);
  }
  // The cross spectrum matters in this case.
  EXPECT_GT(cross_share, 0.05);
}

}  // namespace
