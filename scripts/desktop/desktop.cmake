# The main program as a desktop application: its menu entry, the MIME type of its project
# files (*.tmx, opened by Tremex3 through the entry) and its icon in the standard sizes,
# installed under <prefix>/share by `cmake --install`; and `cpack -G DEB`, a Debian package of
# the installed program with its dependencies.
#   share/applications/tremex3.desktop       Exec names <prefix>/bin/Tremex3
#   share/mime/packages/tremex3.xml          application/x-tremex-project, *.tmx
#   share/icons/hicolor/<n>x<n>/apps/tremex3.png
# An install without DESTDIR (a prefix of one's own) also updates the MIME and desktop
# databases of the prefix, when their tools exist; a package leaves that to the system's
# triggers.

# The icon, drawn at build time by a program of our own.
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(tremex_icon ${CMAKE_CURRENT_LIST_DIR}/drawicon.cpp)
target_link_libraries(tremex_icon PRIVATE Qt6::Gui)
set(tremex_icon_dir ${CMAKE_BINARY_DIR}/share/icons)
set(tremex_icon_files)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND tremex_icon_files ${tremex_icon_dir}/hicolor/${size}x${size}/apps/tremex3.png)
endforeach()
add_custom_command(OUTPUT ${tremex_icon_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:tremex_icon> ${tremex_icon_dir} tremex3
  DEPENDS tremex_icon
  COMMENT "Drawing the program's icon")
add_custom_target(tremex_icons ALL DEPENDS ${tremex_icon_files})

install(DIRECTORY ${tremex_icon_dir}/hicolor DESTINATION share/icons)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tremex3-mime.xml DESTINATION share/mime/packages RENAME tremex3.xml)
# The entry names the program by its installed path (the prefix is known only at install time).
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(TREMEX_EXEC \"\${prefix}/bin/Tremex3\")
  set(applications \"\$ENV{DESTDIR}\${prefix}/share/applications\")
  configure_file(\"${CMAKE_CURRENT_LIST_DIR}/tremex3.desktop.in\" \"\${applications}/tremex3.desktop\" @ONLY)
  message(STATUS \"Installing: \${applications}/tremex3.desktop\")
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    find_program(update_mime update-mime-database)
    find_program(update_desktop update-desktop-database)
    if(update_mime)
      execute_process(COMMAND \${update_mime} \"\${prefix}/share/mime\")
    endif()
    if(update_desktop)
      execute_process(COMMAND \${update_desktop} \"\${applications}\")
    endif()
  endif()
")

# The Debian package: the program under /usr, its libraries found by dpkg-shlibdeps; the Qt
# platform plugins are loaded at run time, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tremex)
set(CPACK_PACKAGE_VENDOR Halvane)
set(CPACK_PACKAGE_CONTACT "TREMEX developers <tremex@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dynamic analysis of machine foundations")
set(CPACK_PACKAGE_DESCRIPTION "TREMEX computes the dynamic stiffness, damping and response of
machine foundations on a half-space, a stratum, layered soil and pile groups,
under harmonic, transient and random loading. Tremex3 is its main program;
tremrun runs a project file from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-liberation")
include(CPack)
