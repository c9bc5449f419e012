# Only the platform talks to Linux and the libraries underneath it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TD_PLATFORM_DEPS REQUIRED IMPORTED_TARGET sdl2 freetype2 fluidsynth sndfile libpng)
find_package(Threads REQUIRED)
target_include_directories(td_platform PUBLIC ${CMAKE_SOURCE_DIR}/platform/include)
target_include_directories(td_platform PRIVATE ${CMAKE_SOURCE_DIR}/platform)
target_link_libraries(td_platform PRIVATE PkgConfig::TD_PLATFORM_DEPS PUBLIC td_resources Threads::Threads ${CMAKE_DL_LIBS})
# The command interpreter shim (tools/cmd) starts programs through the kernel services.
if(TARGET td_cmd)
  target_link_libraries(td_cmd PRIVATE td_platform)
endif()
