// The simulated machine's drives, folders and files, and the programs that
// CreateProcessA can start. Paths are Windows paths ("C:\x\y"), matched
// without regard to letter case.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sim/machine/codepage.h"

namespace sim {

// What WinVerifyTrust finds when it checks a file's Authenticode signature.
enum class Signature {
  kUnsigned,       // TRUST_E_NOSIGNATURE
  kValid,          // 0
  kBadDigest,      // TRUST_E_BAD_DIGEST: signed, but the content was changed since
  kUntrustedRoot,  // CERT_E_UNTRUSTEDROOT: signed by a certificate no trusted root vouches for
  kNotTrusted,     // TRUST_E_SUBJECT_NOT_TRUSTED: the signer is explicitly distrusted
  kExpired,        // CERT_E_EXPIRED: the signing certificate's validity has ended
};
std::int32_t TrustResult(Signature signature);
// WinVerifyTrust's answer for a file without a signature, or no file at all.
constexpr std::int32_t kNoSignature = static_cast<std::int32_t>(0x800B0100u);  // TRUST_E_NOSIGNATURE

struct SimFile {
  std::string content;  // the file's bytes
  // The file version of its version resource (major, minor, build, revision); none: no resource.
  std::optional<std::array<std::uint16_t, 4>> version;
  Signature signature = Signature::kUnsigned;
};

// A program that CreateProcessA starts by its name on the command line.
struct Program {
  enum class Kind {
    kFileVersion,  // behaves as fileversion_x64: FILE OUTFILE, writes FILE's version
    kPlain,        // does nothing but exit with exit_code
  };
  Kind kind = Kind::kPlain;
  // kPlain: the exit code. kFileVersion: non-zero makes it fail with that
  // code before it writes anything.
  std::int32_t exit_code = 0;
  bool writes_output = true;           // kFileVersion: false exits 0 without writing
  std::uint64_t runs_ms = 0;           // simulated run time before it exits
  bool never_exits = false;            // hangs until it is ended
  bool exit_code_query_fails = false;  // GetExitCodeProcess on it fails
  bool sixty_four_bit = false;         // cannot start on 32-bit Windows
};
Program FileVersionCompanion();

// The Windows drive types of GetDriveTypeA.
enum DriveType : std::uint32_t {
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdrom = 5,
  kDriveRamdisk = 6,
};

struct FileSystem {
  std::map<char, std::uint32_t> drives = {{'C', kDriveFixed}};  // upper-case letter to type
  std::set<std::string, NoCaseLess> folders;                    // full paths, drive roots implied
  std::map<std::string, SimFile, NoCaseLess> files;             // full paths
  // By name without folder or ".exe"; the companion ships beside the checker.
  std::map<std::string, Program, NoCaseLess> programs = {{"fileversion_x64", FileVersionCompanion()}};

  // Paths given to these are full paths or are resolved against "C:\".
  SimFile& AddFile(std::string_view path, std::string content = std::string());
  SimFile& AddVersionedFile(std::string_view path, std::array<std::uint16_t, 4> version);
  void AddFolder(std::string_view path);  // with its parents
  const SimFile* FindFile(std::string_view full_path) const;
  SimFile* FindFile(std::string_view full_path);
  bool IsFolder(std::string_view full_path) const;
};

// The full path Windows makes of a path: relative paths are taken from the
// current directory, "\x" from its drive's root, "." and ".." are resolved,
// forward slashes read as backslashes. Empty when the path cannot be a file's.
std::string FullPath(std::string_view path, std::string_view current_directory);
// The folder part of a full path ("C:\a\b" gives "C:\a"; "C:\a" gives "C:\").
std::string ParentOf(std::string_view full_path);

}  // namespace sim
