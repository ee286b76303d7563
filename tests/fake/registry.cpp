// The registry of the in-memory Windows.
#include "state.h"

namespace fake::detail {

void resetRegistry() {}

}  // namespace fake::detail
