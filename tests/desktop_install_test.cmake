# Installs the desktop component into a scratch prefix and checks that menus
# and icon themes find the entry and both icons where they look for them.
# Run with -DBUILD_DIR=<build folder> -DPREFIX=<scratch folder>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component desktop --prefix "${PREFIX}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(entry "${PREFIX}/share/applications/tscview.desktop")
set(svg "${PREFIX}/share/icons/hicolor/scalable/apps/tscview.svg")
set(png "${PREFIX}/share/icons/hicolor/32x32/apps/tscview.png")
foreach(path IN ITEMS "${entry}" "${svg}" "${png}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# Each key must start a line; the leading newline lets the first line match.
file(READ "${entry}" entry_text)
set(entry_text "\n${entry_text}")
foreach(line IN ITEMS "\\[Desktop Entry\\]" "Type=Application" "Exec=tscview\n" "Icon=tscview\n"
                      "Name=[^\n]" "Name\\[ja\\]=[^\n]" "Categories=[^\n]*Science\;"
                      "Categories=[^\n]*Education\;")
  if(NOT entry_text MATCHES "\n${line}")
    message(FATAL_ERROR "${entry} has no line matching '${line}'")
  endif()
endforeach()

# A PNG's header chunk holds width and height as 32-bit big-endian numbers.
file(READ "${png}" header OFFSET 12 LIMIT 12 HEX)
if(NOT header STREQUAL "494844520000002000000020")
  message(FATAL_ERROR "${png} is not a 32 x 32 PNG (IHDR ${header})")
endif()

file(READ "${svg}" svg_text)
if(NOT svg_text MATCHES "<svg[^>]*viewBox=")
  message(FATAL_ERROR "${svg} is not a scalable SVG image")
endif()
