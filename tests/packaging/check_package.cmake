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

run(dpkg-deb -f ${deb} Package Version Architecture Depends Section Maintainer Description)
set(control "${output}")
message(STATUS "${control}")
foreach(needed "Package: velunor2" "Version: ${VERSION}" "Architecture: ${arch}"
               libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libstdc++6
               fonts-ipafont-gothic qt6-translations-l10n libjpeg62-turbo
               "Maintainer: Velunor2.0 developers <velunor2@velunor2.org>")
  string(FIND "${control}" "${needed}" at)
  if(at LESS 0)
    string(APPEND failures "the package's control lacks ${needed}\n")
  endif()
endforeach()
run(dpkg-deb -f ${deb} Description)
string(REPLACE "\n" ";" description_lines "${output}")
foreach(line IN LISTS description_lines)
  string(LENGTH "${line}" width)
  if(width GREATER 80)
    string(APPEND failures "a description line of ${width} characters: ${line}\n")
  endif()
endforeach()

# Its maintainer scripts do not run ldconfig: the sort component is a plugin
# in a private folder.
run(dpkg-deb -e ${deb} ${OUT_DIR}/control)
file(GLOB scripts ${OUT_DIR}/control/post* ${OUT_DIR}/control/pre* ${OUT_DIR}/control/triggers)
foreach(script IN LISTS scripts)
  file(READ ${script} text)
  string(REGEX REPLACE "#[^\n]*" "" code "${text}")
  if(code MATCHES "ldconfig")
    string(APPEND failures "${script} runs ldconfig\n")
  endif()
endforeach()

run(dpkg-deb -c ${deb})
set(listing "${output}")
foreach(file ./usr/bin/Velunor2.0 ./usr/bin/velunor_regsvr ./usr/lib/velunor2/ZUVASORTMEM2.so
             ./usr/share/applications/velunor2.desktop
             ./usr/share/metainfo/org.velunor2.velunor2.metainfo.xml
             ./usr/share/man/man1/Velunor2.0.1.gz ./usr/share/man/man1/velunor_regsvr.1.gz
             ./usr/share/doc/velunor2/copyright ./usr/share/doc/velunor2/changelog.gz
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
if(listing MATCHES " ./usr/lib/[^/\n]*\\.so")
  string(APPEND failures "a library in the public /usr/lib\n")
endif()
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

# The copyright file is machine-readable; the changelog is Debian's, of
# this version; the manual pages are troff.
file(STRINGS ${root}/usr/share/doc/velunor2/copyright copyright LIMIT_COUNT 2)
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/;Upstream-Name: Velunor2.0$")
  string(APPEND failures "the copyright file begins: ${copyright}\n")
endif()
foreach(gz doc/velunor2/changelog man/man1/Velunor2.0.1 man/man1/velunor_regsvr.1)
  run(gzip -dc ${root}/usr/share/${gz}.gz)
  set(${gz}_text "${output}")
endforeach()
if(NOT "${doc/velunor2/changelog_text}" MATCHES "^velunor2 \\(${VERSION}\\) unstable; urgency=")
  string(APPEND failures "the changelog begins: ${doc/velunor2/changelog_text}\n")
endif()
foreach(page Velunor2.0 velunor_regsvr)
  if(NOT "${man/man1/${page}.1_text}" MATCHES "^\\.TH [^\n]+ 1 ")
    string(APPEND failures "the manual page of ${page} is no section 1 page\n")
  endif()
endforeach()

# velunor_regsvr helps, and without a library registers the one installed in
# the private folder beside it.
run(${root}/usr/bin/velunor_regsvr --help)
if(NOT output MATCHES "^usage: velunor_regsvr" OR NOT output MATCHES "${root}/usr/lib/velunor2\n")
  string(APPEND failures "velunor_regsvr --help printed: ${output}\n")
endif()
run(${CMAKE_COMMAND} -E env VELUNOR_COMPONENT_REGISTRY=${OUT_DIR}/components.ini
    ${root}/usr/bin/velunor_regsvr)
file(READ ${OUT_DIR}/components.ini registry)
if(NOT registry MATCHES "InprocServer=${root}/usr/lib/velunor2/ZUVASORTMEM2.so\n")
  string(APPEND failures "velunor_regsvr registered: ${registry}\n")
endif()

# Debian's checkers, where they are installed (tools/setup.sh with
# VELUNOR_DEV_TOOLS=1): no error and no warning from lintian.
find_program(lintian lintian)
if(lintian)
  execute_process(COMMAND ${lintian} --fail-on error,warning ${deb}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  message(STATUS "lintian: ${output}")
  if(NOT result EQUAL 0)
    string(APPEND failures "lintian:\n${output}${errors}\n")
  endif()
else()
  message(STATUS "lintian not installed: not run")
endif()
find_program(appstreamcli appstreamcli)
if(appstreamcli)
  execute_process(COMMAND ${appstreamcli} validate-tree --no-net ${root}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    string(APPEND failures "appstreamcli validate-tree: ${output}\n")
  endif()
else()
  message(STATUS "appstreamcli not installed: not run")
endif()
find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} ${root}/usr/share/applications/velunor2.desktop
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    string(APPEND failures "desktop-file-validate: ${output}\n")
  endif()
else()
  message(STATUS "desktop-file-validate not installed: not run")
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
