# What `cmake --install` puts under the prefix, and the Debian package CPack builds from it.
# The programs go to bin/ and their shared files to share/calvora/, where they look for them.

include(GNUInstallDirs)

install(TARGETS calvora calvora-recorder calvora-wav calvora-catalogue calvora-vmodem
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(calvora_shared ${CMAKE_INSTALL_DATADIR}/calvora)
install(FILES ${PROJECT_SOURCE_DIR}/app/Help.html DESTINATION ${calvora_shared})
install(FILES ${PROJECT_SOURCE_DIR}/data/web/index.html ${PROJECT_SOURCE_DIR}/data/web/app.js
  ${PROJECT_SOURCE_DIR}/data/web/style.css DESTINATION ${calvora_shared}/web)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/vmodem/profiles/ DESTINATION ${calvora_shared}/vmodem-profiles
  FILES_MATCHING PATTERN "*.profile")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/vmodem/scenarios/ DESTINATION ${calvora_shared}/vmodem-scenarios
  FILES_MATCHING PATTERN "*.scenario")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/vmodem/samples/ DESTINATION ${calvora_shared}/vmodem-samples
  FILES_MATCHING PATTERN "*.wav")

# The desktop's menu entry, its icon in the hicolor theme and the software centres' data.
set(calvora_data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${calvora_data}/calvora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${calvora_data}/icons/calvora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${calvora_data}/icons/calvora-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME calvora.png)
endforeach()
configure_file(${calvora_data}/org.calvora.Calvora.metainfo.xml.in
  ${PROJECT_BINARY_DIR}/org.calvora.Calvora.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.calvora.Calvora.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${calvora_data}/man/calvora.1 ${calvora_data}/man/calvora-recorder.1
  ${calvora_data}/man/calvora-wav.1 ${calvora_data}/man/calvora-catalogue.1
  ${calvora_data}/man/calvora-vmodem.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The headless recorder's systemd units (the user's and the system's), their ExecStart the
# installed program. The prefix is only known when installing (cmake --install --prefix, or /usr
# inside the package). The system unit's user comes from the sysusers.d entry.
foreach(kind user system)
  if(kind STREQUAL user)
    set(unit_source ${PROJECT_SOURCE_DIR}/recorder/calvora-recorder.service)
  else()
    set(unit_source ${PROJECT_SOURCE_DIR}/recorder/system/calvora-recorder.service)
  endif()
  install(CODE "
    file(READ \"${unit_source}\" unit)
    string(REGEX REPLACE \"\\nExecStart=calvora-recorder\" \"\\nExecStart=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/calvora-recorder\" unit \"\${unit}\")
    string(REGEX REPLACE \"# A name without a path[^\\n]*\\n#[^\\n]*\\n\" \"\" unit \"\${unit}\")
    file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/${kind}/calvora-recorder.service\" \"\${unit}\")
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/${kind}/calvora-recorder.service\")
  ")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/recorder/system/calvora-recorder.sysusers.conf
  DESTINATION lib/sysusers.d RENAME calvora-recorder.conf)

# The Debian package: its library dependencies are computed from the programs by
# dpkg-shlibdeps; what the programs load as plug-ins at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calvora)
set(CPACK_PACKAGE_VENDOR "The Calvora developers")
set(CPACK_PACKAGE_CONTACT "The Calvora developers <support@calvora.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "telephone call recorder for voice modems")
set(CPACK_PACKAGE_DESCRIPTION
  "Calvora records the calls of a landline telephone through a voice modem that shares the line with the handset: it shows the caller's number, records each call when the handset is lifted, and keeps the recordings as WAV files in a catalogue with folders, memos and search.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://calvora.org")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# The system service's user is made when the package is configured.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/recorder/system/postinst)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, pulseaudio | pipewire-pulse")
include(CPack)
