# cmake --install BUILD --prefix P puts Tunedeck on the desktop:
#   P/lib/tunedeck/                        the program folder, as tools/program/assemble.sh
#                                          makes it (the one list of what it holds)
#   P/bin/tunedeck                         the launcher, which starts the player in that folder
#   P/share/applications/tunedeck.desktop  the desktop entry (files are handed on with %f)
#   P/share/icons/hicolor/NxN/apps/tunedeck.png  the program's own icon, MAINICON
# Nothing in the tree names P but the desktop entry: the launcher finds the folder from its
# own place and the player its command interpreter beside itself, so a moved tree still runs.

set(TD_ICON_SIZES 16 32 48 64 128 256)
set(td_icon_source ${CMAKE_SOURCE_DIR}/resources/forms/mainicon.pix)
set(td_icons "")
foreach(size ${TD_ICON_SIZES})
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/tunedeck.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps
    COMMAND td_iconpng ${td_icon_source} ${size} ${png}
    DEPENDS td_iconpng ${td_icon_source}
    COMMENT "Drawing the ${size} x ${size} icon"
    VERBATIM)
  list(APPEND td_icons ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(td_icons ALL DEPENDS ${td_icons})

if(TARGET Tunedeck)
  # Everything the program folder is made of: ./run and the install tests build this.
  add_custom_target(td_program)
  add_dependencies(td_program Tunedeck td_cmd td_demosongs td_icons)
  foreach(companion Faders Scorepad)
    if(TARGET ${companion})
      add_dependencies(td_program ${companion})
    endif()
  endforeach()

  # The program folder and the desktop entry are made when the install runs: the folder by
  # the assembly script into the build tree, the entry for the prefix the install is given.
  set(td_staging ${CMAKE_BINARY_DIR}/install)
  install(CODE "set(td_source \"${CMAKE_SOURCE_DIR}\")\nset(td_build \"${CMAKE_BINARY_DIR}\")\nset(td_staging \"${td_staging}\")")
  install(CODE [[
    file(REMOVE_RECURSE "${td_staging}")
    execute_process(
      COMMAND "${td_source}/tools/program/assemble.sh" --installed "${td_build}" "${td_staging}/program"
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "tools/program/assemble.sh could not assemble the program folder")
    endif()
    # The entry names the launcher by its full installed path, so that it starts whether or
    # not P/bin is on the PATH. A path with characters the entry's Exec key reserves is
    # quoted, with the escapes the desktop entry format asks for inside quotes.
    get_filename_component(launcher "${CMAKE_INSTALL_PREFIX}/bin/tunedeck" ABSOLUTE)
    string(REPLACE "%" "%%" launcher "${launcher}")
    if(launcher MATCHES "[^A-Za-z0-9/._+%-]")
      string(REPLACE "\\" "\\\\\\\\" launcher "${launcher}")
      foreach(character "\"" "`" "$")
        string(REPLACE "${character}" "\\\\${character}" launcher "${launcher}")
      endforeach()
      set(launcher "\"${launcher}\"")
    endif()
    set(TD_DESKTOP_EXEC "${launcher}")
    configure_file("${td_source}/tools/program/tunedeck.desktop.in"
                   "${td_staging}/tunedeck.desktop" @ONLY)
  ]])
  install(DIRECTORY ${td_staging}/program/ DESTINATION lib/tunedeck USE_SOURCE_PERMISSIONS)
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/program/tunedeck DESTINATION bin)
  install(FILES ${td_staging}/tunedeck.desktop DESTINATION share/applications)
endif()
