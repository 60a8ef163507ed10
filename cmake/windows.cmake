# The Windows build: the 32-bit checker, or with the x86-64 compiler the
# 64-bit companion program.
enable_language(RC)

# Windows 2000 accepts subsystem and OS version 5.0 at the most.
set(KVCHECKS_WIN2000_LINK
    -static -static-libgcc -static-libstdc++
    -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,5 -Wl,--minor-os-version,0)
add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  file(GLOB COMPANION_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fileversion_x64/*.cpp
       ${CMAKE_SOURCE_DIR}/tools/fileversion_x64/*.rc)
  if(COMPANION_SOURCES)
    add_executable(fileversion_x64 ${COMPANION_SOURCES})
    target_link_options(fileversion_x64 PRIVATE -static -static-libgcc -static-libstdc++)
    target_link_libraries(fileversion_x64 PRIVATE version)
  endif()
  return()
endif()

add_library(kvchecks_core STATIC ${KVCHECKS_PRODUCT_SOURCES})
target_include_directories(kvchecks_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

add_executable(kvchecks src/app/main.cpp src/app/version.rc)
# user32, setupapi, wintrust and version are loaded at run time from the
# system folder (src/platform/system_libraries.cpp), never imported.
target_link_libraries(kvchecks PRIVATE kvchecks_core advapi32)
target_link_options(kvchecks PRIVATE ${KVCHECKS_WIN2000_LINK} -s)

