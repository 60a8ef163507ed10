#include "checks/package/signature.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "platform/platform.h"
#include "platform/system_libraries.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kCwd[] = "D:\\windows\\rodadazadezad";

sim::Machine Medium() {
  sim::Machine machine = sim::Server2003(2, false);
  machine.files.drives['D'] = sim::kDriveCdrom;
  machine.current_directory = kCwd;
  machine.files.AddFolder(kCwd);
  return machine;
}

TEST(PackagePathForTag, LooksUpTheFourTags) {
  EXPECT_EQ(PackagePathForTag("NODE"), "..\\SystemsManagement\\SysMgmt.msi");
  EXPECT_EQ(PackagePathForTag("node"), "..\\SystemsManagement\\SysMgmt.msi");
  EXPECT_EQ(PackagePathForTag("Station"), "..\\ManagementStation\\MgmtSt.msi");
  EXPECT_EQ(PackagePathForTag("kestreldocs"), "..\\Docs\\Norvik Halcyra Tessel Disk Documentation.msi");
  EXPECT_EQ(PackagePathForTag("KESTRELDRIVER"), "..\\Driver\\SAS 7K Adapter Driver.msi");
  EXPECT_EQ(PackagePathForTag(""), "");
  EXPECT_EQ(PackagePathForTag("NODE "), "");
  EXPECT_EQ(PackagePathForTag("KESTREL"), "");
}

TEST(VerifyPackageSignature, FailsOnlyForAPresentPackageThatDoesNotVerify) {
  const struct {
    const char* name;
    const char* tag;
    const char* file;  // placed relative to the medium's root; null: none
    sim::Signature signature;
    bool folder;
    bool expected;
  } cases[] = {
      {"ValidNode", "NODE", "D:\\windows\\SystemsManagement\\SysMgmt.msi", sim::Signature::kValid, false,
       true},
      {"UnsignedNode", "node", "D:\\windows\\SystemsManagement\\SysMgmt.msi", sim::Signature::kUnsigned,
       false, false},
      {"TamperedStation", "STATION", "D:\\windows\\ManagementStation\\MgmtSt.msi", sim::Signature::kBadDigest,
       false, false},
      {"UntrustedDocs", "KestrelDocs", "D:\\windows\\Docs\\Norvik Halcyra Tessel Disk Documentation.msi",
       sim::Signature::kUntrustedRoot, false, false},
      {"DistrustedDriver", "KESTRELDRIVER", "D:\\windows\\Driver\\SAS 7K Adapter Driver.msi",
       sim::Signature::kNotTrusted, false, false},
      {"ExpiredNode", "NODE", "D:\\windows\\SystemsManagement\\SysMgmt.msi", sim::Signature::kExpired, false,
       false},
      {"MissingPackage", "NODE", nullptr, sim::Signature::kUnsigned, false, true},
      {"FolderNamedLikeThePackage", "NODE", "D:\\windows\\SystemsManagement\\SysMgmt.msi",
       sim::Signature::kUnsigned, true, true},
      {"UnknownTag", "OTHER", "D:\\windows\\SystemsManagement\\SysMgmt.msi", sim::Signature::kUnsigned, false,
       true},
      {"NoArg", "", "D:\\windows\\SystemsManagement\\SysMgmt.msi", sim::Signature::kUnsigned, false, true},
  };
  for (const auto& c : cases) {
    sim::Machine machine = Medium();
    if (c.file && c.folder) machine.files.AddFolder(c.file);
    if (c.file && !c.folder) machine.files.AddFile(c.file).signature = c.signature;
    InstalledMachine scoped(machine);
    {
      SystemLibraryScope libraries;
      EXPECT_EQ(VerifyPackageSignature(c.tag), c.expected) << c.name;
    }
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
    const bool verified = c.file && !c.folder && !PackagePathForTag(c.tag).empty();
    EXPECT_EQ(sim::CurrentRuntime().trust.requests.size(), verified ? 1u : 0u) << c.name;
  }
}

TEST(VerifyPackageSignature, SendsASilentFileRequest) {
  sim::Machine machine = Medium();
  machine.files.AddFile("D:\\windows\\Docs\\Norvik Halcyra Tessel Disk Documentation.msi").signature =
      sim::Signature::kValid;
  InstalledMachine scoped(machine);
  SystemLibraryScope libraries;
  ASSERT_TRUE(VerifyPackageSignature("KESTRELDOCS"));
  ASSERT_EQ(sim::CurrentRuntime().trust.requests.size(), 1u);
  const sim::TrustRequest& request = sim::CurrentRuntime().trust.requests[0];
  EXPECT_EQ(request.result, 0);
  EXPECT_TRUE(request.window_is_null);
  EXPECT_TRUE(request.generic_verify_v2);
  EXPECT_EQ(request.data_size, offsetof(WINTRUST_DATA, dwProvFlags) + sizeof(DWORD));
  EXPECT_EQ(request.file_info_size, sizeof(WINTRUST_FILE_INFO));
  EXPECT_EQ(request.ui_choice, DWORD{WTD_UI_NONE});
  EXPECT_EQ(request.revocation_checks, DWORD{WTD_REVOKE_NONE});
  EXPECT_EQ(request.union_choice, DWORD{WTD_CHOICE_FILE});
  EXPECT_EQ(request.state_action, 0u);
  EXPECT_EQ(request.prov_flags, 0u);
  EXPECT_TRUE(request.policy_data_null && request.sip_data_null && request.state_handle_null &&
              request.url_null && request.file_handle_null && request.known_subject_null);
  EXPECT_EQ(request.path, u"..\\Docs\\Norvik Halcyra Tessel Disk Documentation.msi");
}

TEST(FileExists, FindsFilesNotFolders) {
  sim::Machine machine = Medium();
  machine.files.AddFile("D:\\windows\\a.msi");
  machine.files.AddFolder("D:\\windows\\b.msi");
  InstalledMachine scoped(machine);
  EXPECT_TRUE(FileExists("..\\A.MSI"));
  EXPECT_TRUE(FileExists("D:\\windows\\a.msi"));
  EXPECT_FALSE(FileExists("..\\b.msi"));
  EXPECT_FALSE(FileExists("..\\c.msi"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(NothingLeftOpen());
}

}  // namespace
