// What the fuzz targets share: a check that keeps the input when an
// invariant breaks, and the fuzz input cut into texts and argument vectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// abort() rather than assert(): the fuzz build defines NDEBUG, which removes asserts.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace fuzz {

// The input cut at every NUL byte; a trailing NUL ends the last text.
inline std::vector<std::string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> texts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      texts.emplace_back();
    else
      texts.back().push_back(static_cast<char>(data[i]));
  }
  if (size > 0 && data[size - 1] == 0) texts.pop_back();
  return texts;
}

// An argument vector of exactly its entries, each in a block of its own size,
// so that AddressSanitizer sees any read past an entry or past the vector.
class ArgumentVector {
 public:
  // `terminated` adds the null entry that main's argv has after the last one.
  ArgumentVector(const std::vector<std::string>& entries, bool terminated) {
    for (const std::string& entry : entries) {
      std::unique_ptr<char[]> text(new char[entry.size() + 1]);
      std::memcpy(text.get(), entry.c_str(), entry.size() + 1);
      texts_.push_back(std::move(text));
    }
    pointers_.reset(new char*[entries.size() + (terminated ? 1 : 0)]);
    for (std::size_t i = 0; i < texts_.size(); ++i) pointers_[i] = texts_[i].get();
    if (terminated) pointers_[texts_.size()] = nullptr;
  }
  int argc() const { return static_cast<int>(texts_.size()); }
  char** argv() const { return pointers_.get(); }

 private:
  std::vector<std::unique_ptr<char[]>> texts_;
  std::unique_ptr<char*[]> pointers_;
};

}  // namespace fuzz
