# cmake -DBUILD_DIR=... -DOUT_DIR=... -DCPACK=... -DVERSION=... -P check_package.cmake
set(failures "")
macro(run)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${result}):\n${output}\n${errors}")
  endif()
endmacro()

file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})
run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUT_DIR})

run(dpkg --print-architecture)
string(STRIP "${output}" arch)
set(deb ${OUT_DIR}/velunor2_${VERSION}_${arch}.deb)
if(NOT EXISTS ${deb})
  file(GLOB made ${OUT_DIR}/*.deb)
  message(FATAL_ERROR "no ${deb}; cpack made: ${made}")
endif()

run(dpkg-deb -f ${deb} Package Version Architecture Depends Section Description)
set(control "${output}")
message(STATUS "${control}")
foreach(needed "Package: velunor2" "Version: ${VERSION}" "Architecture: ${arch}"
               libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libstdc++6
               fonts-ipafont-gothic qt6-translations-l10n libjpeg62-turbo)
  string(FIND "${control}" "${needed}" at)
  if(at LESS 0)
    string(APPEND failures "the package's control lacks ${needed}\n")
  endif()
endforeach()

run(dpkg-deb -c ${deb})
set(listing "${output}")
foreach(file ./usr/bin/Velunor2.0 ./usr/bin/velunor_regsvr ./usr/lib/ZUVASORTMEM2.so
             ./usr/share/applications/velunor2.desktop
             ./usr/share/icons/hicolor/scalable/apps/velunor2.svg
             ./usr/share/icons/hicolor/16x16/apps/velunor2.png
             ./usr/share/icons/hicolor/48x48/apps/velunor2.png
             ./usr/share/icons/hicolor/256x256/apps/velunor2.png
             ./usr/share/doc/velunor2/README.md)
  string(FIND "${listing}" " ${file}\n" at)
  if(at LESS 0)
    string(APPEND failures "the package lacks ${file}\n")
  endif()
endforeach()
# Nothing of the build or the tests comes along.
foreach(stray gtest test_ bench velunor_generate make_ecg_drive scripted)
  string(FIND "${listing}" "${stray}" at)
  if(NOT at LESS 0)
    string(APPEND failures "the package holds a file with \"${stray}\" in its name\n")
  endif()
endforeach()

# The packaged program, unpacked, answers --version and --help without a display.
set(root ${OUT_DIR}/root)
run(dpkg-deb -x ${deb} ${root})
run(${root}/usr/bin/Velunor2.0 --version)
if(NOT output MATCHES "^Velunor2.0 ${VERSION}")
  string(APPEND failures "--version printed: ${output}\n")
endif()
run(${root}/usr/bin/Velunor2.0 --help)
if(NOT output MATCHES "--demo")
  string(APPEND failures "--help printed: ${output}\n")
endif()

find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} ${root}/usr/share/applications/velunor2.desktop
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    string(APPEND failures "desktop-file-validate: ${output}\n")
  endif()
endif()
file(READ ${root}/usr/share/applications/velunor2.desktop desktop)
foreach(line "Name[ja]=" "Comment[ja]=" "Exec=Velunor2.0" "Icon=velunor2" "Categories=")
  string(FIND "${desktop}" "${line}" at)
  if(at LESS 0)
    string(APPEND failures "the menu entry lacks ${line}\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "${deb} checked")
