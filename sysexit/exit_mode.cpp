#include "sysexit/exit_mode.h"

namespace tarnvel {

std::int32_t glngExitMode = 0;

}  // namespace tarnvel
