// The SOIL block reader (not built yet: the keyword is reported and skipped).
#include "readers.h"
#include "report.h"

namespace eng {

void READ_SOIL() {
  out_empty(2);
  out(" UNRECOGNIZED KEYWORD - SOIL");
}

}  // namespace eng
