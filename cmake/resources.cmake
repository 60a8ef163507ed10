# The resources every shipped program carries: an application manifest and a
# version resource whose numbers are the project's version. Without a manifest
# that declares an execution level, Vista and later virtualize the registry
# writes of a 32-bit program run without elevation. The manifest's trustInfo
# declares its namespace exactly once: XP SP2 and Server 2003 without SP1 can
# restart the machine on a second declaration, and XP refuses the program when
# there is none.
set(KVCHECKS_COMPANY "Norvik Computer Corporation")
set(KVCHECKS_PRODUCT "Kelvane pre-requisite checks")
set(KVCHECKS_COPYRIGHT "Copyright (C) 2026 Norvik Computer Corporation")

# The project's version as the four numbers a version resource holds.
set(KVCHECKS_RC_VERSION_PARTS)
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND KVCHECKS_RC_VERSION_PARTS 0)
  else()
    list(APPEND KVCHECKS_RC_VERSION_PARTS ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN KVCHECKS_RC_VERSION_PARTS "." KVCHECKS_RC_VERSION)
list(JOIN KVCHECKS_RC_VERSION_PARTS "," KVCHECKS_RC_VERSION_COMMAS)

# The release script names its folder after this.
file(WRITE ${CMAKE_BINARY_DIR}/kvchecks-version.txt "${PROJECT_VERSION}\n")

# Adds the manifest and the version resource to `target`; `architecture` is
# the manifest's processorArchitecture ("x86" or "amd64").
function(kvchecks_add_resources target description architecture)
  set(KVCHECKS_RC_NAME ${target})
  set(KVCHECKS_RC_DESCRIPTION "${description}")
  set(KVCHECKS_RC_ARCHITECTURE ${architecture})
  set(KVCHECKS_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/resources/program.manifest.in ${KVCHECKS_RC_MANIFEST} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/resources/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  # windres reads the manifest named in the .rc; rebuild the resource when it changes.
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES OBJECT_DEPENDS
                              ${KVCHECKS_RC_MANIFEST})
endfunction()
