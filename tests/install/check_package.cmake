cmake_minimum_required(VERSION 3.25)
# Builds the Debian package of BUILD_DIR into WORK, unpacks it and checks that it holds the
# installed layout, declares its dependencies, and that both programs start from it: vrl puts a
# file away and takes it out again, winvrls tells its command line without a display, and comes
# up and keeps running until it is stopped.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/root")
execute_process(COMMAND "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB -B "${WORK}"
                RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB package "${WORK}/winvrls_*.deb")
if(NOT result EQUAL 0 OR NOT package)
  message(FATAL_ERROR "cpack made no package: ${log}")
endif()

execute_process(COMMAND dpkg-deb -f "${package}" Package Depends OUTPUT_VARIABLE control)
foreach(needed "Package: winvrls" "libqt6widgets6" "libsodium" "qt6-image-formats-plugins")
  string(FIND "${control}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package's control data lacks ${needed}: ${control}")
  endif()
endforeach()

execute_process(COMMAND dpkg-deb -x "${package}" "${WORK}/root" RESULT_VARIABLE result)
set(root "${WORK}/root/usr")
foreach(file bin/winvrls bin/vrl share/applications/winvrls.desktop
             share/mime/packages/winvrls.xml share/icons/hicolor/64x64/apps/winvrls.png
             share/doc/winvrls/Readme.htm share/doc/winvrls/cross-password-format.md
             share/man/man1/winvrls.1 share/man/man1/vrl.1)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "not in the package: /usr/${file}")
  endif()
endforeach()

set(plain "${WORK}/plain.txt")
file(WRITE "${plain}" "put away from the package\n")
set(ENV{VRL_PASSWORD} "package")
execute_process(COMMAND "${root}/bin/vrl" put "${plain}" "${WORK}/plain.vrl" RESULT_VARIABLE put)
execute_process(COMMAND "${root}/bin/vrl" take "${WORK}/plain.vrl" -
                RESULT_VARIABLE take OUTPUT_VARIABLE out)
if(NOT put EQUAL 0 OR NOT take EQUAL 0 OR NOT out STREQUAL "put away from the package\n")
  message(FATAL_ERROR "vrl from the package: put ${put}, take ${take}, output '${out}'")
endif()

# The command line's summary needs no display.
execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${root}/bin/winvrls"
                --help RESULT_VARIABLE helped OUTPUT_VARIABLE usage ERROR_VARIABLE log)
if(NOT helped EQUAL 0 OR NOT usage MATCHES "--take-out")
  message(FATAL_ERROR "winvrls --help from the package (${helped}): ${usage}${log}")
endif()

set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
execute_process(COMMAND timeout 3 "${root}/bin/winvrls" WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE started ERROR_VARIABLE log)
if(NOT started EQUAL 124)
  message(FATAL_ERROR "winvrls from the package did not keep running (${started}): ${log}")
endif()
