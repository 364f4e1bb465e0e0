# What `cmake --install` puts where, and the release packages made from it:
# a .deb and a .tar.gz on Linux (CPack), a portable .zip (CPack) and an NSIS
# installer (target `windows-installer`) on Windows. The install() rules of
# the programs sit beside their targets and use the folders set here.

if(WIN32)
  # One flat folder: the desktop program opens its help page from beside itself.
  set(MORVANE_INSTALL_BIN .)
  set(MORVANE_INSTALL_DOC .)
else()
  include(GNUInstallDirs)
  set(MORVANE_INSTALL_BIN ${CMAKE_INSTALL_BINDIR})
  set(MORVANE_INSTALL_DOC ${CMAKE_INSTALL_DOCDIR})
endif()

# The fuzz tree builds no program to ship.
if(MORVANE_FUZZ)
  return()
endif()

set(MORVANE_PACKAGE_CONTACT "The Morvane developers <morvane@example.org>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

# --- files beside the programs ---------------------------------------------
file(GLOB morvane_samples CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/samples/*.bin)
install(FILES ${morvane_samples} DESTINATION ${MORVANE_INSTALL_DOC}/samples)

if(WIN32)
  # Plain text files that open with a double click.
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
          DESTINATION ${MORVANE_INSTALL_DOC})

  # The live window's icon in the hicolor theme, and the desktop entry that
  # ties the window's application id and class to it (hidden from menus:
  # the window is opened from the command line).
  if(MORVANE_GTK)
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/res/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/linux/org.morvane.Morvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()

  # Manual pages and the changelog go compressed, without a time stamp in
  # the gzip header, so that the same sources give the same package.
  set(morvane_doc_out ${CMAKE_BINARY_DIR}/packaging)
  set(morvane_gz_files)
  foreach(page morvane.1 serial-peer.1)
    add_custom_command(OUTPUT ${morvane_doc_out}/${page}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/man/${page} ${morvane_doc_out}/${page}
      COMMAND gzip -9nf ${morvane_doc_out}/${page}
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/man/${page}
      VERBATIM)
    list(APPEND morvane_gz_files ${morvane_doc_out}/${page}.gz)
    install(FILES ${morvane_doc_out}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  # The Debian changelog and copyright file, made from the version and LICENSE.
  string(TIMESTAMP MORVANE_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.in ${morvane_doc_out}/changelog @ONLY)
  # The licence's terms, from "Permission ..." on, as an indented field.
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE morvane_license)
  string(FIND "${morvane_license}" "Permission" morvane_terms)
  string(SUBSTRING "${morvane_license}" ${morvane_terms} -1 morvane_license)
  string(STRIP "${morvane_license}" morvane_license)
  string(REPLACE "\n\n" "\n.\n" morvane_license "${morvane_license}")
  string(REPLACE "\n" "\n " MORVANE_LICENSE_TEXT " ${morvane_license}")
  configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/copyright.in ${morvane_doc_out}/copyright @ONLY)
  add_custom_command(OUTPUT ${morvane_doc_out}/changelog.gz
    COMMAND gzip -9nkf ${morvane_doc_out}/changelog
    DEPENDS ${morvane_doc_out}/changelog
    VERBATIM)
  list(APPEND morvane_gz_files ${morvane_doc_out}/changelog.gz)
  install(FILES ${morvane_doc_out}/changelog.gz ${morvane_doc_out}/copyright
          DESTINATION ${MORVANE_INSTALL_DOC})
  add_custom_target(morvane-docs ALL DEPENDS ${morvane_gz_files})
endif()

# --- CPack -------------------------------------------------------------------
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VENDOR "The Morvane developers")
set(CPACK_PACKAGE_CONTACT "${MORVANE_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "printer emulator for the TI-99/4A home computer")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME morvane-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR "DEB;TGZ")
  set(CPACK_PACKAGE_FILE_NAME morvane-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
  # "Courier New", the default typeface, resolves to Liberation Mono; `lp`
  # hands printed pages to the print queue.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups-client")
  # Below the summary line, which CPack puts first.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Morvane takes the byte stream a TI-99/4A sends to its printer and lays every
page out as a Brother M1009 dot-matrix printer or a Sony PRN-C41 four-pen
plotter would print it. The command-line program morvane renders captured
printer output to PDF and PNG files or the print queue, and receives live
from a serial port, a TCP connection or the shared-memory serial line that
TI-99/4A emulators on the same computer write to. serial-peer writes a file
into that serial line, for trying the emulator without a TI-99/4A.")
endif()

include(CPack)

# --- Windows installer -------------------------------------------------------
if(WIN32)
  find_program(MORVANE_MAKENSIS makensis)
  if(MORVANE_MAKENSIS)
    set(stage ${CMAKE_BINARY_DIR}/installer-stage)
    set(installer ${CMAKE_BINARY_DIR}/morvane-${PROJECT_VERSION}-windows-x64-setup.exe)
    # The file version resource wants exactly four numbers.
    string(REPLACE "." ";" version4 "${PROJECT_VERSION}.0.0.0")
    list(SUBLIST version4 0 4 version4)
    list(JOIN version4 "." version4)
    add_custom_target(windows-installer
      COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
      COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage} --strip
      COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DOUT=${CMAKE_BINARY_DIR}/installer-files.nsh
              -P ${CMAKE_SOURCE_DIR}/cmake/nsis-file-list.cmake
      COMMAND ${MORVANE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DVERSION4=${version4} -DSTAGE=${stage}
              -DFILES=${CMAKE_BINARY_DIR}/installer-files.nsh -DICON=${CMAKE_SOURCE_DIR}/res/morvane.ico
              -DOUTFILE=${installer} ${CMAKE_SOURCE_DIR}/packaging/windows/morvane.nsi
      BYPRODUCTS ${installer}
      COMMENT "Making the installer ${installer}"
      VERBATIM)
    add_dependencies(windows-installer Morvane morvane serial-peer)
  endif()
endif()
