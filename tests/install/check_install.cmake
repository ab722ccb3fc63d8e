cmake_minimum_required(VERSION 3.25)
# Installs the build into PREFIX and checks that a desktop finds the program, its menu entry,
# the type of locker files, the user guide and the manual pages, and that the entry opens
# locker files.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()

foreach(file bin/winvrls share/applications/winvrls.desktop share/mime/packages/winvrls.xml
             share/icons/hicolor/64x64/apps/winvrls.png share/doc/winvrls/Readme.htm
             share/man/man1/winvrls.1 share/man/man1/vrl.1)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# A locker file opened from the desktop is taken out, not shown as it is.
file(STRINGS "${PREFIX}/share/applications/winvrls.desktop" entry)
if(NOT "Exec=winvrls --take-out %f" IN_LIST entry)
  message(FATAL_ERROR "the menu entry does not hand the file to winvrls to take it out")
endif()
list(FILTER entry INCLUDE REGEX "^MimeType=")
string(REGEX MATCH "^MimeType=([^;]+);$" matched "${entry}")
if(NOT matched)
  message(FATAL_ERROR "the menu entry names no single MIME type: ${entry}")
endif()
set(type "${CMAKE_MATCH_1}")

file(READ "${PREFIX}/share/mime/packages/winvrls.xml" mime)
if(NOT mime MATCHES "<mime-type type=\"${type}\">[^<]*(<[^/][^>]*>[^<]*</[^>]*>[^<]*|<[^>]*/>[^<]*)*<glob pattern=\"\\*\\.vrl\"/>")
  message(FATAL_ERROR "${type} is not defined for *.vrl")
endif()

# Where the desktop's tools built their indexes, they know locker files and what opens them.
if(EXISTS "${PREFIX}/share/mime/globs2")
  file(STRINGS "${PREFIX}/share/mime/globs2" globs REGEX ":${type}:\\*\\.vrl$")
  if(NOT globs)
    message(FATAL_ERROR "the type database does not map *.vrl to ${type}")
  endif()
endif()
if(EXISTS "${PREFIX}/share/applications/mimeinfo.cache")
  file(STRINGS "${PREFIX}/share/applications/mimeinfo.cache" handlers
       REGEX "^${type}=.*winvrls\\.desktop;")
  if(NOT handlers)
    message(FATAL_ERROR "the desktop's application index does not open ${type} with winvrls")
  endif()
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/share/applications/winvrls.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE problems ERROR_VARIABLE problems)
  if(NOT result EQUAL 0 OR problems)
    message(FATAL_ERROR "the menu entry is not valid: ${problems}")
  endif()
endif()
