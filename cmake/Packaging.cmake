# Documents and packages. On Linux `cpack -G DEB` makes
# vrenlist_<version>_amd64.deb, and in the portable build (VRENLIST_PORTABLE)
# `cpack -G TGZ` makes vrenlist-<version>-linux-x86_64.tar.gz; in the Windows
# build `cpack -G ZIP` makes vrenlist-<version>-win64.zip. The package
# presets in CMakePresets.json and scripts/package run them.

set(CPACK_PACKAGE_NAME vrenlist)
set(CPACK_PACKAGE_VENDOR "The vrenlist developers")
set(CPACK_PACKAGE_CONTACT "The vrenlist developers <vrenlist@corvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register a VR application with the OpenVR runtime")
set(CPACK_PACKAGE_DESCRIPTION
  "vrenlist adds an application manifest to the OpenVR runtime's permanent list
of applications and switches auto-launch on for the application key
lumora.corvane, so that the application starts together with the runtime.
vrdelist undoes it, for an uninstall or a move, and vrcheck tells whether
the runtime will really start the application, and why not. They are meant for
installers and companion applications, and report what happened on
standard error and through their exit status.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(_docs ${CMAKE_BINARY_DIR}/docs)
set(_manuals vrenlist vrdelist vrcheck)
foreach(tool ${_manuals})
  configure_file(${PROJECT_SOURCE_DIR}/docs/${tool}.1.in ${_docs}/${tool}.1 @ONLY)
endforeach()

if(WIN32)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${_docs}/README.txt @ONLY)
  install(FILES ${_docs}/README.txt DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  # What vrcheck --json writes, for the programs that read it.
  install(FILES ${PROJECT_SOURCE_DIR}/docs/vrcheck.schema.json DESTINATION .)
  # The man pages as plain text, made on the (Unix) build machine.
  find_program(GROFF groff NO_CMAKE_FIND_ROOT_PATH)
  if(GROFF AND CMAKE_HOST_UNIX)
    foreach(tool ${_manuals})
      add_custom_command(OUTPUT ${_docs}/${tool}.txt
        COMMAND sh -c "'${GROFF}' -man -rcR=1 -rHY=0 -Tascii -P-cbou '${_docs}/${tool}.1' > '${_docs}/${tool}.txt'"
        DEPENDS ${_docs}/${tool}.1 VERBATIM)
      list(APPEND _text_manuals ${_docs}/${tool}.txt)
    endforeach()
    add_custom_target(text_manuals ALL DEPENDS ${_text_manuals})
    install(FILES ${_text_manuals} DESTINATION .)
  else()
    message(STATUS "groff not found: the Windows archive will hold no manuals")
  endif()
  # The example installer, laid out as in the source so that it finds the
  # manifest; built from the archive's folder with -DTOOLS_DIR=..\..
  install(FILES ${PROJECT_SOURCE_DIR}/examples/installer/lumora.nsi DESTINATION examples/installer)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/lumora.vrmanifest DESTINATION examples)
  # The SDK's own DLL (windows/openvr_dll.cmake), which every tool loads at
  # start, with the licence it is distributed under.
  install(FILES "${OPENVR_DLL}" "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/openvr_api.LICENSE.txt"
          DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vrenlist-${PROJECT_VERSION}-win64)
else()
  # Man pages compressed without timestamps (gzip -n), as Debian wants them.
  foreach(document vrenlist.1 vrdelist.1 vrcheck.1)
    add_custom_command(OUTPUT ${_docs}/${document}.gz
      COMMAND gzip -9nkf ${_docs}/${document}
      DEPENDS ${_docs}/${document} VERBATIM)
    list(APPEND _compressed ${_docs}/${document}.gz)
  endforeach()
  install(FILES ${_compressed} DESTINATION share/man/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/vrcheck.schema.json DESTINATION share/doc/vrenlist)

  if(VRENLIST_PORTABLE)
    # One folder to unpack anywhere: bin/, and lib/ with the SDK's own
    # loader (cmake/linux/portable.cmake), byte for byte, and its licence.
    install(FILES "${OPENVR_SHARED_LIBRARY}" DESTINATION lib)
    install(FILES "${OPENVR_LOADER_LICENSE}" DESTINATION lib RENAME libopenvr_api.LICENSE)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/linux/README.in ${_docs}/README @ONLY)
    install(FILES ${_docs}/README ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
    set(CPACK_GENERATOR TGZ)
    set(CPACK_PACKAGE_FILE_NAME vrenlist-${PROJECT_VERSION}-linux-x86_64)
  else()
    execute_process(COMMAND date -u -R -d "${VRENLIST_RELEASE_DATE}"
      OUTPUT_VARIABLE VRENLIST_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${_docs}/changelog @ONLY)
    add_custom_command(OUTPUT ${_docs}/changelog.gz
      COMMAND gzip -9nkf ${_docs}/changelog DEPENDS ${_docs}/changelog VERBATIM)
    list(APPEND _compressed ${_docs}/changelog.gz)
    install(FILES ${_docs}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
      DESTINATION share/doc/vrenlist)

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # Depends: from the binary's own needs (the SDK's library, libstdc++, libc).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
  add_custom_target(vrenlist_documents ALL DEPENDS ${_compressed})
endif()

include(CPack)
