// The machine profiles shipped in profiles/, built into the simulator: the
// default machine and the canned machines of the tests are loaded from them,
// so that each Windows release is described once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/machine/machine.h"

namespace sim {

struct ShippedFile {
  const char* name;  // file name in profiles/
  const unsigned char* bytes;
  std::size_t size;
};
extern const ShippedFile kShippedFiles[];
extern const std::size_t kShippedFileCount;

// The folder the shipped profiles appear to be in: a profile there finds its
// .reg files and bases beside it, as it does on disk.
constexpr char kShippedFolder[] = "<shipped profiles>";

// Loads a shipped profile by its file name, for example "server2003-sp2.toml".
Machine ShippedMachine(const std::string& name);

// The bytes of a file a profile names: a shipped file under kShippedFolder,
// else the host's file; nothing when it cannot be read.
std::optional<std::string> ReadProfileFile(const std::string& path);
// The same bytes handed over in pieces, each with the file's whole size, so
// that a large file is never held at once; false when it cannot be read.
bool ReadProfileFileInPieces(const std::string& path,
                             const std::function<void(std::string_view piece, std::uint64_t total)>& piece);

}  // namespace sim
