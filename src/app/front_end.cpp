#include "app/front_end.h"

#include <cstdio>

#include "app/keyword_table.h"
#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "probes/text_rules.h"

namespace {

void WriteLine(const char* first, const char* second) {
  // Standard output is in text mode: on Windows each line ends with CR LF.
  std::fputs(first, stdout);
  std::fputs(second, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

int RunChecker(int argc, char** argv) {
  if (argc < 4) {
    WriteLine("Run app like this....kvchecks.exe MODE STATUS DESC", "");
    return -1;
  }
  Run run;
  run.argc = argc;
  run.argv = argv;
  run.status = AtoiSaturating(argv[2]);
  run.description = argv[3];
  if (argc >= 5) run.arg = argv[4];

  CaptureOsVersion();

  // The system libraries a check loads are freed when the run is over.
  SystemLibraryScope libraries;
  if (const KeywordRow* row = FindKeywordRow(argv[1])) row->run(run);

  char status_text[16];
  std::snprintf(status_text, sizeof(status_text), "%d", static_cast<int>(run.reported));
  WriteLine("Status=", status_text);
  WriteLine("DescriptionID=", run.description.c_str());
  return 0;
}
