#include "sim/machine/machine.h"

namespace sim {
namespace {

struct World {
  Machine machine;
  Runtime runtime;
};

World& TheWorld() {
  static World world;
  return world;
}

}  // namespace

void Use(Machine machine) {
  TheWorld().machine = std::move(machine);
  TheWorld().runtime = Runtime();
}

Machine& Current() { return TheWorld().machine; }

std::string Runtime::LeftOpen() const {
  std::string open;
  const auto count = [&open](const char* kind, std::size_t left) {
    if (left) open += (open.empty() ? "" : ", ") + std::string(kind) + ": " + std::to_string(left);
  };
  count("registry keys", open_keys.size());
  count("text files", files.open_files.size());
  count("file searches", files.find_handles.size());
  count("process handles", processes.process_handles.size());
  count("thread handles", processes.thread_handles.size());
  count("libraries", libraries.loaded.size());
  count("tokens", system.token.open_tokens.size());
  count("SIDs", system.token.allocated_sids.size());
  count("device lists", system.devices.open_sets.size());
  return open;
}
Runtime& CurrentRuntime() { return TheWorld().runtime; }

}  // namespace sim
