#include "app/front_end.h"
#include "platform/startup.h"

int main(int argc, char** argv) {
  // The native build attaches its simulated machine here; it may refuse a
  // malformed machine description, and then no report is written.
  if (int refusal = AttachPlatform()) return refusal;
  return RunChecker(argc, argv);
}
