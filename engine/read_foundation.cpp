// The FOUN block reader (not built yet: the keyword is reported and skipped).
#include "readers.h"
#include "report.h"

namespace eng {

void READ_FOUNDATION() {
  out_empty(2);
  out(" UNRECOGNIZED KEYWORD - FOUN");
}

}  // namespace eng
