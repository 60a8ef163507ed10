// Owners for the handles that probes and checks open, so that every handle
// is closed on every path by construction.
#pragma once

#include <utility>

#include "platform/platform.h"

template <typename Handle, typename Traits>
class UniqueHandleOf {
 public:
  UniqueHandleOf() = default;
  explicit UniqueHandleOf(Handle handle) : handle_(handle) {}
  UniqueHandleOf(const UniqueHandleOf&) = delete;
  UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;
  UniqueHandleOf(UniqueHandleOf&& other) noexcept
      : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  ~UniqueHandleOf() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  void reset() {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = Traits::Invalid();
  }
  // Gives the handle up without closing it.
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  // Closes what is held and lends the slot to a call that writes a handle
  // into it; the calls used so leave the slot alone when they fail.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct LibraryTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE module) { FreeLibrary(module); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};
struct DevInfoTraits {
  static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HDEVINFO set) { SetupDiDestroyDeviceInfoList(set); }
};
struct TextFileTraits {
  static crt::File* Invalid() { return nullptr; }
  static void Close(crt::File* file) { crt::fclose(file); }
};
struct SidTraits {
  static PSID Invalid() { return nullptr; }
  static void Close(PSID sid) { FreeSid(sid); }
};

using UniqueRegKey = UniqueHandleOf<HKEY, RegKeyTraits>;
using UniqueHandle = UniqueHandleOf<HANDLE, KernelHandleTraits>;
using UniqueLibrary = UniqueHandleOf<HMODULE, LibraryTraits>;
using UniqueFindHandle = UniqueHandleOf<HANDLE, FindHandleTraits>;
using UniqueDevInfo = UniqueHandleOf<HDEVINFO, DevInfoTraits>;
using UniqueSid = UniqueHandleOf<PSID, SidTraits>;
using UniqueTextFile = UniqueHandleOf<crt::File*, TextFileTraits>;
