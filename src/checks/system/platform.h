// Checks of the Windows edition and the processor it runs on.
#pragma once

#include "platform/platform.h"

// Windows of version 5.1 or later (but no x.0) on an Itanium processor.
bool IsItaniumSystem();
bool IsServer2008R2();
// A Server Core or Hyper-V Server edition of Windows 6.x.
bool IsServerCoreEdition();
// One of the product types that GetProductInfo reports for Server Core and Hyper-V Server.
bool IsServerCoreProductType(DWORD product_type);
// Windows 2000 lets unsigned non-driver software install without a word;
// true on every other version.
bool IsNonDriverSigningSilent();
