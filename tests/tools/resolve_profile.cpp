// Prints a machine profile with its base chain resolved, as JSON, by the
// native loader's own rule: the scenario runner realises exactly this under
// Wine. Usage: resolve_profile PROFILE
#include <cstdio>
#include <string>

#include "sim/profile/profile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: resolve_profile PROFILE\n");
    return 1;
  }
  try {
    const std::string json = sim::ResolvedProfileJson(argv[1]);
    std::fwrite(json.data(), 1, json.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
}
