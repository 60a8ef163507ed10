#include "checks/package/media_folder.h"

#include "platform/platform.h"
#include "probes/text_rules.h"

const char kMediaFolder[] = "\\windows\\rodadazadezad\\";

std::string FolderAfterDrive(const std::string& directory) {
  std::string rest = directory.size() > 2 ? directory.substr(2) : std::string();
  if (rest.empty() || rest.front() != '\\') rest.insert(rest.begin(), '\\');
  if (rest.back() != '\\') rest.push_back('\\');
  return rest;
}

bool IsExpectedMediaFolder(const char* expected) {
  // A directory longer than the buffer cannot be read: no verdict.
  char buffer[MAX_PATH];
  if (!crt::getcwd(buffer, MAX_PATH)) return true;
  const std::string directory = buffer;
  if (directory.size() <= 2) return true;
  if (GetDriveTypeA(directory.substr(0, 2).c_str()) != DRIVE_CDROM) return true;
  return EqualsNoCase(FolderAfterDrive(directory).c_str(), expected);
}
