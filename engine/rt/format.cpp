#include "rt/format.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "rt/units.h"

namespace rt {
namespace {

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 0), '*'); }

std::string right(const std::string& t, int w) {
  if (static_cast<int>(t.size()) > w) return stars(w);
  return std::string(static_cast<std::size_t>(w) - t.size(), ' ') + t;
}

// Non-finite values: written right-aligned as NaN, Infinity or Inf, as they fit.
bool non_finite(double v, int w, std::string& out) {
  if (std::isfinite(v)) return false;
  if (std::isnan(v)) {
    out = right("NaN", w);
    return true;
  }
  const std::string sign = v < 0 ? "-" : "";
  std::string t = sign + "Infinity";
  if (static_cast<int>(t.size()) > w) t = sign + "Inf";
  out = right(t, w);
  return true;
}

// Decimal digits and exponent of |v| rounded to `ndig` significant digits:
// |v| = 0.d1d2...dn * 10^exp.  Zero gives all zeros and exponent 0.
void digits_of(double v, int ndig, std::string& digits, int& exp) {
  if (v == 0.0 || ndig <= 0) {
    digits.assign(static_cast<std::size_t>(ndig > 0 ? ndig : 0), '0');
    exp = 0;
    return;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", ndig - 1, std::fabs(v));
  // buf is d.ddddde[+-]xx
  digits.clear();
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  exp = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;
}

std::string exponent_text(int e) {
  char buf[16];
  const int a = e < 0 ? -e : e;
  if (a <= 99)
    std::snprintf(buf, sizeof buf, "E%c%02d", e < 0 ? '-' : '+', a);
  else
    std::snprintf(buf, sizeof buf, "%c%03d", e < 0 ? '-' : '+', a);
  return buf;
}

}  // namespace

std::string fmt_i(long long v, int w) { return right(std::to_string(v), w); }

std::string fmt_f(double v, int w, int d) {
  std::string out;
  if (non_finite(v, w, out)) return out;
  char buf[512];
  if (std::fabs(v) >= 1e300) return stars(w);
  std::snprintf(buf, sizeof buf, "%.*f", d, v);
  std::string t = buf;
  bool neg = false;
  if (!t.empty() && t[0] == '-') {
    neg = true;
    t.erase(0, 1);
  }
  // A value that rounds to zero is written without a sign.
  if (t.find_first_not_of("0.") == std::string::npos) neg = false;
  if (neg) t.insert(0, "-");
  if (static_cast<int>(t.size()) > w) {
    // The leading zero of a value below 1 is optional.
    const std::size_t z = neg ? 1 : 0;
    if (t.size() > z + 1 && t[z] == '0' && t[z + 1] == '.') t.erase(z, 1);
  }
  return right(t, w);
}

std::string fmt_e(double v, int w, int d) {
  std::string out;
  if (non_finite(v, w, out)) return out;
  std::string digits;
  int exp = 0;
  digits_of(v, d, digits, exp);
  const bool neg = v < 0 && digits.find_first_not_of('0') != std::string::npos;
  std::string t = "0." + digits + exponent_text(exp);
  if (neg) t.insert(0, "-");
  if (static_cast<int>(t.size()) > w) {
    const std::size_t z = neg ? 1 : 0;
    t.erase(z, 1);  // drop the optional leading zero
  }
  return right(t, w);
}

std::string fmt_pe(double v, int w, int d) {
  std::string out;
  if (non_finite(v, w, out)) return out;
  std::string digits;
  int exp = 0;
  digits_of(v, d + 1, digits, exp);
  const bool neg = v < 0 && digits.find_first_not_of('0') != std::string::npos;
  if (v != 0.0) exp -= 1;
  std::string t = digits.substr(0, 1) + "." + digits.substr(1) + exponent_text(exp);
  if (neg) t.insert(0, "-");
  return right(t, w);
}

std::string fmt_a(std::string_view s, int w) {
  if (w <= 0) return std::string();
  if (static_cast<int>(s.size()) >= w) return std::string(s.substr(0, static_cast<std::size_t>(w)));
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + std::string(s);
}

std::string fmt_list_int(long long v) { return " " + fmt_i(v, 11); }

namespace {
bool parse_number(std::string_view field, double& out) {
  std::string t;
  for (char c : field)
    if (c != ' ') t.push_back(c);
  out = 0.0;
  if (t.empty()) return true;
  // sign? digits [. digits] [(E|D|e|d) sign? digits]
  std::size_t i = 0;
  std::string norm;
  if (t[i] == '+' || t[i] == '-') norm.push_back(t[i++]);
  std::size_t mant = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') norm.push_back(t[i++]), ++mant;
  if (i < t.size() && t[i] == '.') {
    norm.push_back(t[i++]);
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') norm.push_back(t[i++]), ++mant;
  }
  if (mant == 0) return false;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
    norm.push_back('e');
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm.push_back(t[i++]);
    std::size_t ed = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') norm.push_back(t[i++]), ++ed;
    if (ed == 0) return false;
  }
  if (i != t.size()) return false;
  errno = 0;
  const double v = std::strtod(norm.c_str(), nullptr);
  if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
  out = v;
  return true;
}
}  // namespace

bool parse_real_field(std::string_view field, float& out) {
  double v = 0.0;
  out = 0.0f;
  if (!parse_number(field, v)) return false;
  out = static_cast<float>(v);
  return true;
}

bool read_list(int unit, double* out, int n) {
  int got = 0;
  std::string rec;
  while (got < n) {
    if (!read_record(unit, rec)) return false;
    std::size_t p = 0;
    while (got < n && p < rec.size()) {
      while (p < rec.size() && (rec[p] == ' ' || rec[p] == '\t' || rec[p] == ',')) ++p;
      if (p >= rec.size()) break;
      std::size_t q = p;
      while (q < rec.size() && rec[q] != ' ' && rec[q] != '\t' && rec[q] != ',') ++q;
      double v = 0.0;
      if (!parse_number(std::string_view(rec).substr(p, q - p), v)) return false;
      out[got++] = v;
      p = q;
    }
  }
  return true;
}

std::string run_date_text() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  return pad(buf, 10);
}

std::string run_time_text() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return pad(buf, 8);
}

PathParts split_path(std::string_view path) {
  PathParts p;
  const std::size_t slash = path.find_last_of('/');
  std::string_view base = path;
  if (slash != std::string_view::npos) {
    p.folder = std::string(path.substr(0, slash + 1));
    base = path.substr(slash + 1);
  }
  const std::size_t dot = base.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) {
    p.name = std::string(base.substr(0, dot));
    p.ext = std::string(base.substr(dot));
  } else {
    p.name = std::string(base);
  }
  return p;
}

std::string rtrim(std::string_view s) {
  const std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string pad(std::string_view s, std::size_t n) {
  std::string t(s.substr(0, std::min(n, s.size())));
  t.resize(n, ' ');
  return t;
}

}  // namespace rt
