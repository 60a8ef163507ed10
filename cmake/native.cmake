# The native build: the same product against the simulated machine.
find_package(tomlplusplus REQUIRED)
find_package(GTest REQUIRED)

# The simulated machine serves the platform seam. Its own headers are reached
# as "sim/..." from the repository root, an include path it keeps PRIVATE so
# that no product source can name a simulator header.
file(GLOB_RECURSE KVCHECKS_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/*.cpp)
# The shipped profiles travel inside the simulator: the default machine and
# the tests' canned machines are loaded from them.
file(GLOB KVCHECKS_SHIPPED_PROFILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/profiles/*.toml
     ${CMAKE_SOURCE_DIR}/profiles/*.reg)
set(KVCHECKS_SHIPPED_SOURCE ${CMAKE_BINARY_DIR}/generated/shipped_profile_files.cpp)
add_custom_command(OUTPUT ${KVCHECKS_SHIPPED_SOURCE}
                   COMMAND ${CMAKE_COMMAND} -DFOLDER=${CMAKE_SOURCE_DIR}/profiles -DOUTPUT=${KVCHECKS_SHIPPED_SOURCE}
                           -P ${CMAKE_SOURCE_DIR}/cmake/embed_profiles.cmake
                   DEPENDS ${KVCHECKS_SHIPPED_PROFILES} ${CMAKE_SOURCE_DIR}/cmake/embed_profiles.cmake
                   COMMENT "Embedding the shipped machine profiles")
add_library(kvchecks_sim STATIC ${KVCHECKS_SIM_SOURCES} ${KVCHECKS_SHIPPED_SOURCE})
target_include_directories(kvchecks_sim PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kvchecks_sim PUBLIC kvchecks_platform PRIVATE tomlplusplus::tomlplusplus)

add_library(kvchecks_core STATIC ${KVCHECKS_PRODUCT_SOURCES})
target_link_libraries(kvchecks_core PUBLIC kvchecks_platform PRIVATE kvchecks_sim)

# What tests, fuzz targets and benchmarks build against: the product and the
# simulator, with the simulator's headers as "sim/...".
add_library(kvchecks_sim_testing INTERFACE)
target_include_directories(kvchecks_sim_testing INTERFACE ${CMAKE_SOURCE_DIR})
target_link_libraries(kvchecks_sim_testing INTERFACE kvchecks_core kvchecks_sim)

if(KVCHECKS_FUZZ)
  add_subdirectory(tests/fuzz)
  return()
endif()

add_executable(kvchecks src/app/main.cpp)
target_link_libraries(kvchecks PRIVATE kvchecks_core kvchecks_sim)

# The keyword table of a machine: every keyword's answer there, by the checks' own rows.
add_executable(kvchecks_table tools/keyword_table/keyword_table_main.cpp)
target_include_directories(kvchecks_table PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kvchecks_table PRIVATE kvchecks_core kvchecks_sim)

# The capture program, natively: it captures the simulated machine, so that
# its output can be replayed and compared in the tests.
add_library(kvcapture_core STATIC tools/capture/capture_machine.cpp tools/capture/capture_writer.cpp)
target_link_libraries(kvcapture_core PUBLIC kvchecks_core)
add_executable(kvcapture tools/capture/capture_main.cpp)
target_link_libraries(kvcapture PRIVATE kvcapture_core kvchecks_sim)

enable_testing()
add_subdirectory(tests)
