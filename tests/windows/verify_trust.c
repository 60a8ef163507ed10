/* verify_trust FILE: asks WinVerifyTrust whether FILE's Authenticode
   signature verifies and chains to a trusted root. Prints the verdict as a
   hexadecimal HRESULT and exits with 0 when it is ERROR_SUCCESS, 1 otherwise,
   2 on a wrong command line. */
#include <windows.h>
// The trust headers use the types of windows.h without including it.
#include <softpub.h>
#include <stdio.h>
#include <wintrust.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  WINTRUST_FILE_INFO file;
  ZeroMemory(&file, sizeof(file));
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = argv[1];
  WINTRUST_DATA data;
  ZeroMemory(&data, sizeof(data));
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG verdict = WinVerifyTrust(NULL, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(NULL, &action, &data);
  printf("%08lx\n", (unsigned long)verdict);
  return verdict == ERROR_SUCCESS ? 0 : 1;
}
