cmake_minimum_required(VERSION 3.25)
# Fails when a source file includes a header of a folder its own folder may not use. The build
# cannot tell: every library publishes src/ as its include folder. Run with -DSOURCE_DIR=src.
#
# folder               the folders its files may include (besides its own)
set(rules
  "platform            |"
  "ui                  |"
  "locker/stream       | platform"
  "locker/legacy       | platform locker/stream"
  "locker/crypto       | platform"
  "locker/dataprotect  | platform locker/stream locker/crypto"
  "locker              | platform locker/stream locker/legacy locker/dataprotect"
  "cli                 | platform locker locker/stream"
  "viewer              | platform ui"
  "dialogs             | platform ui locker/stream"
  "about               | platform dialogs"
  "app                 | platform ui locker locker/legacy locker/stream locker/crypto viewer dialogs about")

set(failures "")
set(folders "")
foreach(rule IN LISTS rules)
  string(REGEX MATCH "^([^ |]+) *\\|(.*)$" _ "${rule}")
  set(folder ${CMAKE_MATCH_1})
  list(APPEND folders ${folder})
  string(STRIP "${CMAKE_MATCH_2}" allowed)
  separate_arguments(allowed UNIX_COMMAND "${allowed}")
  list(APPEND allowed ${folder})
  file(GLOB files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"(.*)\".*$" "\\1" header "${line}")
      get_filename_component(area "${header}" DIRECTORY)
      if(NOT area IN_LIST allowed)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
        string(APPEND failures "  ${name} includes ${header}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
# A new folder gets a rule before its files go unchecked.
file(GLOB_RECURSE all RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(name IN LISTS all)
  get_filename_component(folder "${name}" DIRECTORY)
  if(NOT folder IN_LIST folders)
    string(APPEND failures "  ${name} lies in a folder without a rule\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes across the folders' rules:\n${failures}")
endif()
