// The records behind Component and ComponentInstance, shared by the movie importers and the
// standard compression component. Not for the program's own code.
#pragma once

#include <memory>
#include <string>

#include "Components.h"

struct ComponentRecord {
  ComponentDescription description{};
  std::string name;
};

struct ComponentInstanceRecord {
  ComponentRecord* component = nullptr;
  // What a component keeps per instance (the standard compression settings); null for the
  // importers.
  std::shared_ptr<void> state;
};

namespace sp_platform {
namespace quicktime {

// The component of that description (its flags 0), registered on first use; it lives as long
// as the process.
Component RegisterComponent(const ComponentDescription& description, const std::string& name);
// The instance when it is open, else null.
ComponentInstanceRecord* LiveComponentInstance(ComponentInstance instance);

}  // namespace quicktime
}  // namespace sp_platform
