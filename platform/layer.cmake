# Only the platform talks to Linux and the libraries underneath it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TD_PLATFORM_DEPS REQUIRED IMPORTED_TARGET sdl2 freetype2 fluidsynth sndfile libpng)
find_package(Threads REQUIRED)
target_include_directories(td_platform PUBLIC ${CMAKE_SOURCE_DIR}/platform/include)
# The internal headers (platform/<service>/*.h, included as "gdi/dc.h") are seen only by the
# platform itself and by the programs that link td_platform_internals: the platform's own
# tests, benchmarks and fuzz targets. Every other layer sees platform/include alone.
add_library(td_platform_internals INTERFACE)
target_include_directories(td_platform_internals INTERFACE ${CMAKE_SOURCE_DIR}/platform)
target_link_libraries(td_platform PRIVATE td_platform_internals)
# The platform's own sources find its internal headers before anything at the repository
# root: "controls/listbox.h" is the platform's list box there, not the framework's.
target_include_directories(td_platform BEFORE PRIVATE ${CMAKE_SOURCE_DIR}/platform)
target_link_libraries(td_platform PRIVATE PkgConfig::TD_PLATFORM_DEPS PUBLIC td_resources Threads::Threads ${CMAKE_DL_LIBS})
# The command interpreter shim (tools/cmd) starts programs through the kernel services.
if(TARGET td_cmd)
  target_link_libraries(td_cmd PRIVATE td_platform)
  # Where the interpreter is found by a program that does not sit beside it: the build's, and
  # the one installed in the program folder (cmake/Install.cmake puts it there).
  target_compile_definitions(td_platform PRIVATE
    TD_CMD_BUILD_PATH="$<TARGET_FILE:td_cmd>"
    TD_CMD_INSTALLED_PATH="${CMAKE_INSTALL_PREFIX}/lib/tunedeck/cmd")
endif()
