# What `cmake --install` lays out under its prefix, the same tree for a private prefix, scripts/install
# and the Debian package:
#
#   bin/                      the programs and tools, RUNPATH $ORIGIN/../lib/bidlark
#   lib/bidlark/              libbidlark-platform.so, libarbor.so (RUNPATH $ORIGIN), arbor.tlb
#   include/bidlark/          arbor/*.h and the platform headers they and a control's host need
#   lib/cmake/Arbor/          find_package(Arbor CONFIG)
#   lib/pkgconfig/arbor.pc
#   share/applications/       bidlark.desktop
#   share/icons/hicolor/      the program's icon
#   share/doc/bidlark/        README.md, the licence (as "copyright", where Debian looks) and
#                             changelog.gz
#
# The uninstaller links the platform layer statically and gets no RUNPATH: it must run from wherever
# an installer copies it with its log.

set(BIDLARK_INSTALL_LIBDIR lib/bidlark)
set(BIDLARK_INSTALL_INCLUDEDIR include/bidlark)
set(BIDLARK_INSTALL_DOCDIR share/doc/bidlark)
set(BIDLARK_PACKAGE_CONTACT "Bidlark developers <bidlark@example.org>" CACHE STRING
  "Who answers for the release and the Debian package, as \"Name <address>\"")

set(bidlark_installed_programs bidlark regsvr uninstall-log-writer arbor-container myebay-dump)
set_target_properties(${bidlark_installed_programs} PROPERTIES
  INSTALL_RPATH "$ORIGIN/../${BIDLARK_INSTALL_LIBDIR}")
set_target_properties(uninstaller PROPERTIES INSTALL_RPATH "")
set_target_properties(platform arbor PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS ${bidlark_installed_programs} uninstaller RUNTIME DESTINATION bin)
install(TARGETS platform arbor LIBRARY DESTINATION ${BIDLARK_INSTALL_LIBDIR})
install(FILES ${PROJECT_BINARY_DIR}/bin/arbor.tlb DESTINATION ${BIDLARK_INSTALL_LIBDIR})

install(FILES app/resources/bidlark.desktop DESTINATION share/applications)
install(FILES app/resources/bidlark.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES README.md DESTINATION ${BIDLARK_INSTALL_DOCDIR})
install(FILES LICENSE DESTINATION ${BIDLARK_INSTALL_DOCDIR} RENAME copyright)
# A release note in the layout Debian tools read, compressed without a name or time stamp so the
# same sources give the same file.
string(TIMESTAMP bidlark_release_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/changelog "bidlark (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}: bidlark, the arbor control and the uninstaller.

 -- ${BIDLARK_PACKAGE_CONTACT}  ${bidlark_release_date}
")
execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/changelog COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${BIDLARK_INSTALL_DOCDIR})

# Headers for hosts of the control: the public arbor headers and, followed through their
# "platform/..." includes, every platform header they need, plus the control host widget and the
# component object basics a host uses to sink events. Collected when configuring; a change to one of
# these headers configures again, so the set never goes stale.
function(bidlark_header_closure out)
  set(pending ${ARGN})
  set(done)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST done)
      continue()
    endif()
    list(APPEND done ${header})
    set(file ${PROJECT_SOURCE_DIR}/${header})
    if(header MATCHES "^arbor/")
      set(file ${PROJECT_SOURCE_DIR}/arbor/include/${header})
    endif()
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"(arbor|platform)/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
      list(APPEND pending ${included})
    endforeach()
  endwhile()
  set(${out} ${done} PARENT_SCOPE)
endfunction()

get_target_property(arbor_header_files arbor_api HEADER_SET)
set(arbor_public_headers)
foreach(file IN LISTS arbor_header_files)
  file(RELATIVE_PATH header ${PROJECT_SOURCE_DIR}/arbor/include ${file})
  list(APPEND arbor_public_headers ${header})
endforeach()
bidlark_header_closure(arbor_host_headers ${arbor_public_headers}
  platform/com/ole/controlhost.h platform/com/com.h platform/com/typeless_dispatch.h)
foreach(header IN LISTS arbor_host_headers)
  set(file ${PROJECT_SOURCE_DIR}/${header})
  if(header MATCHES "^arbor/")
    set(file ${PROJECT_SOURCE_DIR}/arbor/include/${header})
  endif()
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${file} DESTINATION ${BIDLARK_INSTALL_INCLUDEDIR}/${folder})
endforeach()

# find_package(Arbor CONFIG) and pkg-config: both find the prefix from where their own file lies,
# so the installed tree can be moved or packaged under another prefix.
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ArborConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES cmake/ArborConfig.cmake ${PROJECT_BINARY_DIR}/ArborConfigVersion.cmake
  DESTINATION lib/cmake/Arbor)
configure_file(cmake/arbor.pc.in ${PROJECT_BINARY_DIR}/arbor.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/arbor.pc DESTINATION lib/pkgconfig)
