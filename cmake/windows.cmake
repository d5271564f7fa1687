# Windows build (MinGW-w64, i686 or x86_64): setup.exe, its test programs and the sample distribution.
enable_language(RC)

# Lean and self-contained: no exceptions or RTTI, the compiler's runtime linked statically,
# unused functions dropped, symbols stripped. Data gets no sections of its own: MinGW's GCC would
# put each zero-filled buffer into a section of initialised data, stored in the file byte for
# byte (16 KB for the setup.inf buffer alone), where the plain .bss costs nothing. Arrays keep
# the alignment the ABI asks for, not the 32 bytes GCC gives any array of 32 bytes or more.
# -Oz: the shorter instruction wherever there is one; nothing here is bound by the processor.
set(lean_compile -Oz -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fno-ident -malign-data=abi)
set(lean_link -static -s -Wl,--gc-sections)
# The frame programs (setup.exe, UNINSTAL.EXE) start at the frame's own entry point
# (frame/frame_startup.cpp) in place of the C runtime's start-up, which would add a third to the
# file; imported data, which only that start-up could relocate, is refused at link time. i686 C
# symbols carry a leading underscore, x86_64 ones do not.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(frame_entry_symbol _FrameStartup)
else()
  set(frame_entry_symbol FrameStartup)
endif()
set(frame_entry -nostartfiles -Wl,-u,${frame_entry_symbol} -Wl,-e,${frame_entry_symbol}
    -Wl,--disable-runtime-pseudo-reloc)
target_compile_options(setup_core PUBLIC ${lean_compile})
# Windows commits a thread's stack a page at a time behind a guard page, so a frame of a page or
# more must be probed before use. With probing on, i686 GCC also gives every function a frame
# for its outgoing arguments instead of pushing them, a seventh of setup.exe's code. The objects
# setup.exe is made of are built without probes and refuse any frame that comes near a page: the
# big buffers live in static storage. (x86_64 passes arguments in registers: nothing to gain.)
# Windows itself keeps an i686 thread's stack aligned to 4 bytes only, and nothing here needs
# more: GCC's 16-byte default would only pad frames, a sixteenth of the code.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(no_stack_probes -mno-stack-arg-probe -Werror=frame-larger-than=3072)
  set(lean_stack -mpreferred-stack-boundary=2)
endif()
target_compile_options(setup_core PRIVATE ${no_stack_probes} ${lean_stack})
target_compile_definitions(setup_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)

# Platform operations and the frame layer, shared by the programs of the project.
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/integration/win32/*.cpp ${CMAKE_SOURCE_DIR}/frame/*.cpp)
if(PLATFORM_SOURCES)
  add_library(setup_win32 STATIC ${PLATFORM_SOURCES})
  target_link_libraries(setup_win32 PUBLIC setup_core)
  target_compile_options(setup_win32 PRIVATE ${no_stack_probes} ${lean_stack})
  # Known DLLs only: comctl32 is loaded at run time from the system folder (frame/system_dlls.h).
  target_link_libraries(setup_win32 PUBLIC shell32 ole32 uuid advapi32 user32 gdi32)
endif()

# setup.exe: the application, its dialog and its resources.
file(GLOB UI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/win32/*.cpp)
if(UI_SOURCES)
  add_executable(setup WIN32 ${UI_SOURCES} ${CMAKE_SOURCE_DIR}/res/setup.rc)
  target_link_libraries(setup PRIVATE setup_win32)
  target_compile_options(setup PRIVATE ${no_stack_probes} ${lean_stack})
  target_link_options(setup PRIVATE ${lean_link} ${frame_entry})
endif()

enable_testing()

# Win32 tests: each tests/win32/*_test.cpp is one program, run under Wine by CTest.
file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
foreach(src ${WIN32_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE setup_win32)
  target_link_options(${name} PRIVATE -static)
  add_test(NAME win32.${name} COMMAND ${name})
endforeach()

# Test tools and the sample distribution's programs, each in its own folder.
foreach(dir tests/driver tests/dll_search check pack uninstall sample bench)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()
