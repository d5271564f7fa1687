# Native build: the core's unit tests (GoogleTest, CTest) and the reader's fuzz target.
option(SETUP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(SETUP_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(SETUP_SANITIZE OR SETUP_FUZZ)
  set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(setup_core PUBLIC ${sanitizers})
  target_link_options(setup_core PUBLIC ${sanitizers})
endif()

enable_testing()

if(SETUP_FUZZ)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE setup_core)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
  return()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
target_link_libraries(unit_tests PRIVATE setup_core GTest::gtest_main)
target_compile_options(unit_tests PRIVATE -Wall -Wextra)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Native tools of the project, each in its own folder.
foreach(dir check pack uninstall)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()
