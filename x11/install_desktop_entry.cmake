# Installs orvelle's desktop entry (run by `cmake --install` and CPack, after install(CODE) has set the
# ORVELLE_* folders). The MATE desktop's screen saver runs only programs in its own and XScreenSaver's
# folders, named in full, so the entry names the program by its full path, which is known only now when its
# folder is relative: under the prefix being installed to, CPack's own for the package.
foreach(dir ORVELLE_PROGRAM_DIR ORVELLE_ENTRY_DIR)
  if(NOT IS_ABSOLUTE "${${dir}}")
    set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
  endif()
endforeach()
set(program "${ORVELLE_PROGRAM_DIR}/orvelle")
# Written first into a folder of the build named after the destination, so that installs to different
# places at the same time (the package and a staging folder) do not write the same file, and removed after.
string(MD5 destination "$ENV{DESTDIR}${ORVELLE_ENTRY_DIR}")
configure_file("${ORVELLE_ENTRY_TEMPLATE}" "${ORVELLE_ENTRY_WORK_DIR}/${destination}/orvelle.desktop" @ONLY)
file(INSTALL "${ORVELLE_ENTRY_WORK_DIR}/${destination}/orvelle.desktop" DESTINATION "${ORVELLE_ENTRY_DIR}")
file(REMOVE_RECURSE "${ORVELLE_ENTRY_WORK_DIR}/${destination}")
