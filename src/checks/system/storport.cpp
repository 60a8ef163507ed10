#include "checks/system/storport.h"

#include "platform/platform.h"
#include "probes/companion.h"
#include "probes/file_version.h"
#include "probes/os_facts.h"
#include "probes/text_rules.h"

namespace {

// The parts of a dotted version text: maximal runs of characters other than
// '.', so leading dots and runs of dots separate nothing. Once the parts are
// used up, each further request gives the empty part and marks the text exhausted.
class VersionParts {
 public:
  explicit VersionParts(const std::string& text) : text_(text) {}

  std::string Next() {
    while (at_ < text_.size() && text_[at_] == '.') ++at_;
    if (at_ >= text_.size()) {
      exhausted_ = true;
      return std::string();
    }
    std::size_t end = text_.find('.', at_);
    if (end == std::string::npos) end = text_.size();
    std::string part = text_.substr(at_, end - at_);
    at_ = end;
    return part;
  }
  bool exhausted() const { return exhausted_; }

 private:
  const std::string& text_;
  std::size_t at_ = 0;
  bool exhausted_ = false;
};

}  // namespace

bool PassesStorportSp1Gate() {
  return OsVersionRecord.dwMajorVersion == 5 && OsVersionRecord.wServicePackMajor < 2;
}

bool PassesStorportGate() { return !PassesStorportSp1Gate(); }

bool IsVersionAtLeast(const std::string& installed, const std::string& minimum) {
  VersionParts have(installed);
  VersionParts want(minimum);
  std::string have_part;
  std::string want_part;
  do {
    have_part = have.Next();
    want_part = want.Next();
  } while (have_part == want_part && !(have.exhausted() && want.exhausted()));
  // Parts are numbers by the atoi rule: "02" equals "2", a trailing line
  // break or a part without digits reads as its leading digits or 0.
  return AtoiSaturating(have_part.c_str()) >= AtoiSaturating(want_part.c_str());
}

namespace {

const char kDriverUnderWindir[] = "\\system32\\drivers\\storport.sys";
const char kCompanionOutputUnderTemp[] = "\\storport_ver.txt";

}  // namespace

bool StorportMeetsMinimum(const std::string& minimum) {
  // Only Windows Server 2003 is asked; everywhere else the driver counts as new enough.
  if (!MeetsOsLevel(false)) return true;
  std::string installed;
  // Without "windir" there is no driver path: no version, which reads as below a minimum.
  if (const char* windir = crt::getenv("windir")) {
    const std::string driver = std::string(windir) + kDriverUnderWindir;
    installed = IsRunningUnderWow64() ? VersionThroughCompanion(driver, kCompanionOutputUnderTemp)
                                      : GetFileVersionString(driver);
  }
  return IsVersionAtLeast(installed, minimum);
}
