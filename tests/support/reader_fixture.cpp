#include "reader_fixture.h"

#include <unistd.h>

#include <stdexcept>

#include "engine_harness.h"
#include "prepass.h"
#include "rt/units.h"
#include "state.h"

namespace harness {

ReaderFixture::ReaderFixture(const std::string& deck, const std::string& mass_file)
    : temp_("tremex-reader"), folder_(temp_.path()) {
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) throw std::runtime_error("getcwd failed");
  old_cwd_ = cwd;
  if (chdir(folder_.c_str()) != 0) throw std::runtime_error("chdir failed");
  write_file("deck.tmx", deck);
  write_file("deck.tmm", mass_file);

  eng::reset_engine_state();
  rt::reset_units();
  eng::g.files.input = folder_ + "/deck.tmx";
  eng::g.files.output = folder_ + "/deck.tmo";
  eng::g.files.plot = folder_ + "/deck.tmq";
  eng::g.files.mass = folder_ + "/deck.tmm";
  eng::g.files.version = "3.0.11      ";
  rt::open_unit(eng::kUnitTape7, "TAPE7", true);
  rt::open_unit(eng::kUnitTape8, "TAPE8", true);
  rt::open_unit_for_reading(eng::kUnitInput, eng::g.files.input);
  rt::open_unit_streamed(eng::kUnitReport, eng::g.files.output);
  rt::open_unit_streamed(eng::kUnitPlot, eng::g.files.plot);
  rt::open_unit_for_reading(eng::kUnitMass, eng::g.files.mass);
  eng::PREPROCESS_INPUT();
}

ReaderFixture::~ReaderFixture() {
  rt::reset_units();
  eng::reset_engine_state();
  (void)chdir(old_cwd_.c_str());
}

std::string ReaderFixture::report_text() {
  rt::flush_unit(eng::kUnitReport);
  return read_file(folder_ + "/deck.tmo");
}

std::vector<std::string> ReaderFixture::report_lines() { return split_lines(report_text()); }

std::vector<std::string> ReaderFixture::report_from(const std::string& first) {
  std::vector<std::string> all = report_lines();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i] == first) return std::vector<std::string>(all.begin() + static_cast<long>(i), all.end());
  return {};
}

}  // namespace harness
