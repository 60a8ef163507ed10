// Earlier or related software of the family already on the machine.
#pragma once

// Codes of HasNetworkManagerServer and HasOldConnectionProduct.
constexpr int kNetworkManagerServer = 103;
constexpr int kOldConnectionProduct = 209;

// The managed node of the earlier storage-management product (QRMNCHECK).
extern const char kQrNodeKey[];
// The Windows Installer registration of one component for the local system
// account, and the packed codes of the two products QRMSCHECK asks about.
extern const char kQrmsComponentKey[];
extern const char kQrmsFirstProduct[];
extern const char kQrmsSecondProduct[];
// Whether the component's value for the product is there and not empty
// (ReadRegString on kQrmsComponentKey).
bool QrmsComponentFor(const char* packed_product);

bool HasEarlierNodeOrStation();
bool HasEarlierStorageManagerWithSuite();
bool HasRemoteAccessCardNode();
int HasNetworkManagerServer();
int HasOldConnectionProduct();
