// The standard handling of events of controls that no handler took.
#include "events/detail/StandardHandlers.h"

namespace sp_platform {
namespace events {

const StandardHandlerRow* ControlStandardHandlerRows(std::size_t* count) {
  if (count != nullptr) *count = 0;
  return nullptr;
}

}  // namespace events
}  // namespace sp_platform
