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
Runtime& CurrentRuntime() { return TheWorld().runtime; }

}  // namespace sim
