#include <cstdlib>

#include "app/front_end.h"
#include "platform/startup.h"

#if defined(__MINGW32__)
namespace __gnu_cxx {
// No exception leaves a check, so this never runs; the default handler would
// print a demangled type name and brings some 40 KB of demangler with it.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int main(int argc, char** argv) {
  // The native build attaches its simulated machine here; it may refuse a
  // malformed machine description, and then no report is written.
  if (int refusal = AttachPlatform()) return refusal;
  return RunChecker(argc, argv);
}
