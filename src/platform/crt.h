// The C run-time calls whose results depend on the machine: the environment,
// the current directory, text files and the locale's case folding. They go
// through this seam so that a simulated run never sees the host's.
#pragma once

#include <cstddef>
#include <cstdio>

#if defined(_WIN32)
#include <direct.h>
#include <mbstring.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace crt {

#if defined(_WIN32)

typedef std::FILE File;

// The process environment; msvcrt matches names without regard to case.
inline const char* getenv(const char* name) { return std::getenv(name); }
inline char* getcwd(char* buffer, int size) { return ::_getcwd(buffer, size); }
// Multibyte-aware comparison in the ANSI code page.
inline int mbsicmp(const char* a, const char* b) {
  return ::_mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
}
// Text mode: CR LF reads as LF and Ctrl-Z ends the file.
inline File* fopen_text(const char* path) { return std::fopen(path, "r"); }
// The file's bytes as they are.
inline File* fopen_binary(const char* path) { return std::fopen(path, "rb"); }
inline int fgetc(File* file) { return std::fgetc(file); }
inline std::size_t fread(void* buffer, std::size_t size, File* file) {
  return std::fread(buffer, 1, size, file);
}
inline int ferror(File* file) { return std::ferror(file); }
inline void fclose(File* file) { std::fclose(file); }

#else

struct File;

const char* getenv(const char* name);
char* getcwd(char* buffer, int size);
int mbsicmp(const char* a, const char* b);
File* fopen_text(const char* path);
File* fopen_binary(const char* path);
int fgetc(File* file);
std::size_t fread(void* buffer, std::size_t size, File* file);
int ferror(File* file);
void fclose(File* file);

#endif

}  // namespace crt
