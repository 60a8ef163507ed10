/* A stand-in for one of the family's libraries (KVIL32.DLL, KxDbLib.dll) in
   the Windows test runs. Every export takes no arguments and returns the
   number a scenario configured. The exports come from a generated header of
   FAMILY_EXPORT(name, value) lines and are listed, undecorated, in a
   generated .def file; with no arguments the stdcall and cdecl conventions
   are the same call. */
#define FAMILY_EXPORT(name, value) \
  int __stdcall name(void);        \
  int __stdcall name(void) { return (int)(value); }
#include "family_exports.h"
