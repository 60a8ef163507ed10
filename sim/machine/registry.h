// The simulated registry: keys and values as a real machine stores them.
// Paths name the physical layout, so on a 64-bit machine the 32-bit view of
// HKLM\SOFTWARE is the key HKLM\SOFTWARE\Wow6432Node, exactly as a .reg
// export of that machine shows it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/machine/codepage.h"

namespace sim {

// The value types the registry stores, by their platform numbers.
enum RegType : std::uint32_t {
  kRegNone = 0,
  kRegString = 1,        // REG_SZ
  kRegExpandString = 2,  // REG_EXPAND_SZ
  kRegBinary = 3,        // REG_BINARY
  kRegDword = 4,         // REG_DWORD
  kRegMultiString = 7,   // REG_MULTI_SZ
};
bool IsStringType(std::uint32_t type);

// The predefined root handles, by their platform values.
enum RootHandle : std::uintptr_t {
  kClassesRoot = 0x80000000u,
  kCurrentUser = 0x80000001u,
  kLocalMachine = 0x80000002u,
  kUsers = 0x80000003u,
  kCurrentConfig = 0x80000005u,
};

struct RegValue {
  std::string name;  // as written, letter case kept
  std::uint32_t type = 0;
  // Raw bytes as the platform keeps them: string types in UTF-16LE.
  std::vector<std::uint8_t> data;
};

struct RegKey {
  std::string name;  // as written, letter case kept
  bool deny_read = false;
  std::map<std::string, std::unique_ptr<RegKey>, NoCaseLess> subkeys;
  std::map<std::string, RegValue, NoCaseLess> values;  // "" is the default value

  RegKey* Child(std::string_view child_name) const;
  RegKey& ChildOrCreate(std::string_view child_name);
  // A value set again takes the new spelling of its name.
  void SetValue(std::string_view value_name, std::uint32_t type, std::vector<std::uint8_t> data);
  void DeleteValue(std::string_view value_name);
};

// A REG_DWORD's four bytes, little-endian as the platform stores them.
std::vector<std::uint8_t> DwordBytes(std::uint32_t number);

// A key handle that a registry call has handed out.
struct OpenKey {
  RegKey* key = nullptr;
  std::uint32_t access = 0;   // the rights granted at the open
  bool machine_hive = false;  // under HKEY_LOCAL_MACHINE
};

class Registry {
 public:
  Registry();
  Registry(const Registry& other);
  Registry& operator=(const Registry& other);
  Registry(Registry&&) = default;
  Registry& operator=(Registry&&) = default;

  // Full paths begin with a root: HKEY_LOCAL_MACHINE or HKLM, HKEY_CURRENT_USER
  // or HKCU, HKEY_CLASSES_ROOT or HKCR, HKEY_USERS or HKU, HKEY_CURRENT_CONFIG.
  RegKey* Find(std::string_view path) const;
  RegKey& Create(std::string_view path);
  void DeleteKey(std::string_view path);
  void DeleteValue(std::string_view path, std::string_view name);

  void SetValue(std::string_view path, std::string_view name, std::uint32_t type,
                std::vector<std::uint8_t> data);
  // Stores ANSI text as the platform does: UTF-16LE with its terminator.
  void SetString(std::string_view path, std::string_view name, std::string_view text,
                 std::uint32_t type = kRegString);
  void SetDword(std::string_view path, std::string_view name, std::uint32_t number);
  const RegValue* GetValue(std::string_view path, std::string_view name) const;
  void DenyRead(std::string_view path);

  // The root key for a predefined handle value; null when unknown.
  RegKey* Root(std::uintptr_t predefined) const;

  // The registry has reached its size limit (the registry quota of Windows
  // 2000 to Server 2003): keys still open, but nothing new can be stored.
  bool quota_exhausted = false;

 private:
  std::map<std::uintptr_t, std::unique_ptr<RegKey>> roots_;
};

// Splits a registry path at backslashes, dropping empty parts.
std::vector<std::string> SplitRegPath(std::string_view path);
// The predefined handle value of a root name, or 0 when it names no root.
std::uintptr_t RootFromName(std::string_view name);
std::u16string BytesToWide(const std::vector<std::uint8_t>& bytes);

}  // namespace sim
