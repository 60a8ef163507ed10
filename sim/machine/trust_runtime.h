// The WinVerifyTrust requests of a run, for tests to inspect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// One WinVerifyTrust call as the checker made it.
struct TrustRequest {
  bool window_is_null = false;
  bool generic_verify_v2 = false;  // the action GUID
  std::uint32_t data_size = 0, file_info_size = 0;
  std::uint32_t ui_choice = 0, revocation_checks = 0, union_choice = 0, state_action = 0, prov_flags = 0;
  bool policy_data_null = false, sip_data_null = false, state_handle_null = false, url_null = false;
  bool file_handle_null = false, known_subject_null = false;
  std::u16string path;  // as passed, UTF-16
  std::int32_t result = 0;
};

struct TrustRuntime {
  std::vector<TrustRequest> requests;  // in call order
};

}  // namespace sim
