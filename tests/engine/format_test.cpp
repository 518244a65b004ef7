// Edit descriptors of the report writer, against hand-worked fields.
#include <gtest/gtest.h>

#include "rt/format.h"

namespace {

struct Case {
  char kind;  // I, F, E, P (1PE), A
  double v;
  int w, d;
  const char* text;
  const char* expect;
};

TEST(Format, FieldsAsTheReportPrintsThem) {
  const Case cases[] = {
      {'I', 3, 3, 0, nullptr, "  3"},
      {'I', -12, 3, 0, nullptr, "-12"},
      {'I', 1234, 3, 0, nullptr, "***"},
      {'F', 32.2, 7, 2, nullptr, "  32.20"},
      {'F', 9.8, 7, 2, nullptr, "   9.80"},
      {'F', 0.5, 4, 2, nullptr, "0.50"},
      {'F', 0.5, 3, 2, nullptr, ".50"},
      {'F', -0.5, 4, 2, nullptr, "-.50"},
      {'F', -0.001, 5, 2, nullptr, " 0.00"},
      {'F', 9999.99, 7, 2, nullptr, "9999.99"},
      {'F', 10000.0, 7, 2, nullptr, "*******"},
      {'F', 12.5, 12, 4, nullptr, "     12.5000"},
      {'E', 12345.0, 10, 3, nullptr, " 0.123E+05"},
      {'E', -12345.0, 10, 3, nullptr, "-0.123E+05"},
      {'E', -12345.0, 9, 3, nullptr, "-.123E+05"},
      {'E', 0.0, 10, 3, nullptr, " 0.000E+00"},
      {'E', 0.000999, 10, 3, nullptr, " 0.999E-03"},
      {'E', 0.9996, 10, 3, nullptr, " 0.100E+01"},
      {'P', 123456.7, 13, 5, nullptr, "  1.23457E+05"},
      {'P', -1.0, 13, 5, nullptr, " -1.00000E+00"},
      {'P', 0.0, 12, 5, nullptr, " 0.00000E+00"},
      {'P', 32.2, 10, 3, nullptr, " 3.220E+01"},
      {'P', 1.5e-7, 11, 4, nullptr, " 1.5000E-07"},
      {'P', 123.0, 9, 2, nullptr, " 1.23E+02"},
      {'P', 1e120, 11, 4, nullptr, " 1.0000+120"},
      {'P', 1.0, 8, 4, nullptr, "********"},
      {'A', 0, 5, 0, "ab", "   ab"},
      {'A', 0, 2, 0, "abcd", "ab"},
  };
  for (const Case& c : cases) {
    std::string got;
    switch (c.kind) {
      case 'I': got = rt::fmt_i(static_cast<long long>(c.v), c.w); break;
      case 'F': got = rt::fmt_f(c.v, c.w, c.d); break;
      case 'E': got = rt::fmt_e(c.v, c.w, c.d); break;
      case 'P': got = rt::fmt_pe(c.v, c.w, c.d); break;
      case 'A': got = rt::fmt_a(c.text, c.w); break;
    }
    EXPECT_EQ(got, c.expect) << c.kind << " " << c.v << " w=" << c.w << " d=" << c.d;
  }
}

TEST(Format, RealFieldsReadAsA20ColumnField) {
  struct R {
    const char* field;
    bool ok;
    float v;
  } cases[] = {
      {"12.", true, 12.0f},     {"      1.5E3", true, 1500.0f}, {"-0.25", true, -0.25f},
      {"1 2", true, 12.0f},     {"", true, 0.0f},              {"3d2", true, 300.0f},
      {"HALF", false, 0.0f},    {"1.2.3", false, 0.0f},        {"+.", false, 0.0f},
      {"1E", false, 0.0f},      {"1e99", false, 0.0f},         {"inf", false, 0.0f},
      {"nan", false, 0.0f},     {"0x10", false, 0.0f},
  };
  for (const R& c : cases) {
    float v = -7.0f;
    EXPECT_EQ(rt::parse_real_field(c.field, v), c.ok) << c.field;
    if (c.ok) {
      EXPECT_FLOAT_EQ(v, c.v) << c.field;
    }
  }
}

TEST(Format, PathSplitsIntoFolderNameAndExtension) {
  const rt::PathParts p = rt::split_path("/home/u/jobs/pump.v2.tmx");
  EXPECT_EQ(p.drive, "");
  EXPECT_EQ(p.folder, "/home/u/jobs/");
  EXPECT_EQ(p.name, "pump.v2");
  EXPECT_EQ(p.ext, ".tmx");
  EXPECT_EQ(rt::split_path("deck").name, "deck");
  EXPECT_EQ(rt::split_path("deck").ext, "");
}

}  // namespace
