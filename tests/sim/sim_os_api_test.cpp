// The simulated version calls keep the contract of the real ones: the size
// field chooses the record, and optional entry points answer as on Windows.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "probes/entry_points.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

TEST(SimGetVersionExA, TheSizeFieldChoosesTheRecord) {
  InstalledMachine machine(sim::Server2003(1, false));
  struct Case {
    const char* name;
    DWORD size;
    BOOL succeeds;
    WORD service_pack_major;  // 0xEEEE: left as it was
  };
  const Case cases[] = {
      {"Extended", sizeof(OSVERSIONINFOEXA), TRUE, 1},
      {"Basic", sizeof(OSVERSIONINFOA), TRUE, 0xEEEE},
      {"Zero", 0, FALSE, 0xEEEE},
      {"OneShort", sizeof(OSVERSIONINFOEXA) - 1, FALSE, 0xEEEE},
  };
  for (const Case& c : cases) {
    OSVERSIONINFOEXA record;
    std::memset(&record, 0xEE, sizeof(record));
    record.dwOSVersionInfoSize = c.size;
    sim::CurrentRuntime().last_error = 0;
    EXPECT_EQ(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)), c.succeeds) << c.name;
    EXPECT_EQ(record.wServicePackMajor, c.service_pack_major) << c.name;
    if (c.succeeds) {
      EXPECT_EQ(record.dwMajorVersion, 5u) << c.name;
      EXPECT_STREQ(record.szCSDVersion, "Service Pack 1") << c.name;
    } else {
      EXPECT_EQ(record.dwMajorVersion, 0xEEEEEEEEu) << c.name;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << c.name;
    }
  }
}

TEST(SimGetProductInfo, SucceedsForVersionSixAndLater) {
  using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
  sim::Machine core = sim::Server2008R2();
  core.os.product_info = 13;
  InstalledMachine machine(core);
  auto get_product_info = LookUpExport<GetProductInfoFn>(GetModuleHandleA("Kernel32.dll"), "GetProductInfo");
  ASSERT_NE(get_product_info, nullptr);
  DWORD product = 99;
  EXPECT_TRUE(get_product_info(6, 1, 1, 0, &product));
  EXPECT_EQ(product, 13u);
  sim::Current().os.product_info = 0;
  EXPECT_TRUE(get_product_info(6, 1, 1, 0, &product));
  EXPECT_EQ(product, 0u);
  EXPECT_FALSE(get_product_info(5, 2, 0, 0, &product));
  EXPECT_EQ(product, 0u);
}

TEST(SimGetProductInfo, IsMissingBeforeVersionSix) {
  InstalledMachine machine(sim::Server2003(2, false));
  EXPECT_EQ(GetProcAddress(GetModuleHandleA("kernel32"), "GetProductInfo"), nullptr);
}

}  // namespace
