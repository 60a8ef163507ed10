# The native build: the same product against the simulated machine.
find_package(tomlplusplus REQUIRED)
find_package(GTest REQUIRED)

file(GLOB KVCHECKS_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/*.cpp)
add_library(kvchecks_sim STATIC ${KVCHECKS_SIM_SOURCES})
target_include_directories(kvchecks_sim PUBLIC ${CMAKE_SOURCE_DIR}/sim ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kvchecks_sim PUBLIC tomlplusplus::tomlplusplus)
target_compile_definitions(kvchecks_sim PRIVATE KVCHECKS_DEFAULT_PROFILE_DIR="${CMAKE_SOURCE_DIR}/profiles")

add_library(kvchecks_core STATIC ${KVCHECKS_PRODUCT_SOURCES})
target_include_directories(kvchecks_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kvchecks_core PUBLIC kvchecks_sim)

if(KVCHECKS_FUZZ)
  add_subdirectory(tests/fuzz)
  return()
endif()

add_executable(kvchecks src/app/main.cpp)
target_link_libraries(kvchecks PRIVATE kvchecks_core kvchecks_sim)

enable_testing()
add_subdirectory(tests)
