// WinVerifyTrust with the generic Authenticode action: the verdict of the
// simulated file. The request is checked field by field against the one a
// silent, file-based verification must send, and recorded for tests.
#include <algorithm>
#include <cstddef>

#include "platform/platform.h"
#include "sim/api/file_access.h"
#include "sim/api/served_api.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

constexpr std::int32_t kProviderUnknown = static_cast<std::int32_t>(0x800B0001u);  // TRUST_E_PROVIDER_UNKNOWN
constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057u);  // E_INVALIDARG

bool IsGenericVerifyV2(const GUID* action) {
  const GUID expected = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return action && action->Data1 == expected.Data1 && action->Data2 == expected.Data2 &&
         action->Data3 == expected.Data3 &&
         std::equal(std::begin(expected.Data4), std::end(expected.Data4), action->Data4);
}

std::int32_t Verify(TrustRequest& request, HWND hwnd, GUID* action, const WINTRUST_DATA* data) {
  request.window_is_null = hwnd == nullptr;
  request.generic_verify_v2 = IsGenericVerifyV2(action);
  if (!request.generic_verify_v2) return kProviderUnknown;
  if (!data) return kInvalidArgument;
  request.data_size = data->cbStruct;
  request.policy_data_null = data->pPolicyCallbackData == nullptr;
  request.sip_data_null = data->pSIPClientData == nullptr;
  request.ui_choice = data->dwUIChoice;
  request.revocation_checks = data->fdwRevocationChecks;
  request.union_choice = data->dwUnionChoice;
  request.state_action = data->dwStateAction;
  request.state_handle_null = data->hWVTStateData == nullptr;
  request.url_null = data->pwszURLReference == nullptr;
  request.prov_flags = data->dwProvFlags;
  // The size that ends with dwProvFlags: the layout every supported Windows reads.
  const std::uint32_t data_size = offsetof(WINTRUST_DATA, dwProvFlags) + sizeof(DWORD);
  if (data->cbStruct != data_size || data->dwUnionChoice != WTD_CHOICE_FILE || !data->pFile)
    return kInvalidArgument;
  const WINTRUST_FILE_INFO& file = *data->pFile;
  request.file_info_size = file.cbStruct;
  request.file_handle_null = file.hFile == nullptr;
  request.known_subject_null = file.pgKnownSubject == nullptr;
  if (file.pcwszFilePath) request.path = file.pcwszFilePath;
  // Anything but a silent verification without revocation checks or held
  // state is not the request this machine answers.
  if (file.cbStruct != sizeof(WINTRUST_FILE_INFO) || !file.pcwszFilePath || !request.window_is_null ||
      data->dwUIChoice != WTD_UI_NONE || data->fdwRevocationChecks != WTD_REVOKE_NONE ||
      data->dwStateAction != 0 || !request.state_handle_null || data->dwProvFlags != 0 ||
      !request.policy_data_null || !request.sip_data_null)
    return kInvalidArgument;
  const std::string full = CheckerFullPath(WideToAnsi(request.path));
  const SimFile* found = Current().files.FindFile(full);
  if (!found) return Fail(ERROR_FILE_NOT_FOUND, kNoSignature);
  return TrustResult(found->signature);
}

}  // namespace
}  // namespace sim

using namespace sim;

LONG WINAPI served::WinVerifyTrust(HWND hwnd, GUID* pgActionID, LPVOID pWVTData) {
  TrustRequest request;
  request.result = Verify(request, hwnd, pgActionID, static_cast<const WINTRUST_DATA*>(pWVTData));
  CurrentRuntime().trust.requests.push_back(request);
  return request.result;
}
