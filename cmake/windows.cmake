# The Windows build: the 32-bit checker, or with the x86-64 compiler the
# 64-bit companion program.
enable_language(RC)
include(${CMAKE_SOURCE_DIR}/cmake/resources.cmake)

# Windows 2000 accepts subsystem and OS version 5.0 at the most.
set(KVCHECKS_WIN2000_LINK
    -static -static-libgcc -static-libstdc++
    -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,5 -Wl,--minor-os-version,0)
# The headers declare what Vista added (GetProductInfo, the product types);
# the program binds those at run time and still starts on Windows 2000, which
# the link options above and the import check guard, not this version.
add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600)
# The same sources give the same bytes: no link time in the PE header, no
# source or build folder in the objects.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  file(GLOB COMPANION_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fileversion_x64/*.cpp)
  if(COMPANION_SOURCES)
    add_executable(fileversion_x64 ${COMPANION_SOURCES})
    kvchecks_add_resources(fileversion_x64 "File version reader for 64-bit Windows" amd64)
    # Unstripped, the static C++ run-time's debug information made up two thirds of the file.
    target_compile_options(fileversion_x64 PRIVATE -ffunction-sections -fdata-sections)
    target_link_options(fileversion_x64 PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
    # version.dll is loaded from the system folder at run time (version_library.h), never imported.
  endif()
  return()
endif()

add_library(kvchecks_core STATIC ${KVCHECKS_PRODUCT_SOURCES})
target_link_libraries(kvchecks_core PUBLIC kvchecks_platform)

add_executable(kvchecks src/app/main.cpp)
kvchecks_add_resources(kvchecks "Installation pre-requisite checker" x86)
# user32, setupapi, wintrust and version are loaded at run time from the
# system folder (src/platform/system_libraries.cpp), never imported.
target_link_libraries(kvchecks PRIVATE kvchecks_core advapi32)
target_link_options(kvchecks PRIVATE ${KVCHECKS_WIN2000_LINK} -s)

# The capture program support staff run on a customer's machine: the same
# checks through the same seam, with the same start-up rules as the checker.
add_executable(kvcapture tools/capture/capture_main.cpp tools/capture/capture_machine.cpp
                         tools/capture/capture_writer.cpp)
kvchecks_add_resources(kvcapture "Machine capture for the pre-requisite checker" x86)
target_link_libraries(kvcapture PRIVATE kvchecks_core advapi32)
target_link_options(kvcapture PRIVATE ${KVCHECKS_WIN2000_LINK} -s)
