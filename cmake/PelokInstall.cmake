# cmake --install: the three modules, pelreg, the public headers, the loader library, a CMake
# package (find_package(PelReg CONFIG): PelReg::headers, PelReg::loader) and a pkg-config file.
#
# Windows keeps everything a program loads in bin/, as Windows programs do. On Linux the modules
# are plug-ins, in lib/pelreg/ with the DLL registry file that names them; bin/Pelok.ini beside
# pelreg redirects to it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(WIN32)
  set(PELOK_INSTALL_MODULE_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(PELOK_INSTALL_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/pelreg)
endif()
set(PELOK_INSTALL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/PelReg)

install(TARGETS PelReg PelFact PelXml
        RUNTIME DESTINATION ${PELOK_INSTALL_MODULE_DIR}
        LIBRARY DESTINATION ${PELOK_INSTALL_MODULE_DIR})
install(TARGETS pelreg RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PELOK_BIN_DIR}/Pelok.ini DESTINATION ${PELOK_INSTALL_MODULE_DIR})
if(NOT WIN32)
  file(RELATIVE_PATH PELOK_BIN_TO_MODULES /${CMAKE_INSTALL_BINDIR} /${PELOK_INSTALL_MODULE_DIR})
  file(WRITE ${CMAKE_BINARY_DIR}/install/Pelok.ini
       "; pelreg's DLL registry file: the one beside the modules.\n"
       "[Redirect]\nPath=${PELOK_BIN_TO_MODULES}/Pelok.ini\n")
  install(FILES ${CMAKE_BINARY_DIR}/install/Pelok.ini DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY include/pelok DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

# The loader and the static libraries it is built from (a static library brings its own).
set_target_properties(pelok_public_headers PROPERTIES EXPORT_NAME headers)
set_target_properties(pelok_loader PROPERTIES EXPORT_NAME loader)
install(TARGETS pelok_public_headers pelok_loader pelok_dll_registry pelok_util pelok_platform
        EXPORT PelRegTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT PelRegTargets NAMESPACE PelReg:: DESTINATION ${PELOK_INSTALL_CMAKE_DIR})

configure_package_config_file(cmake/PelRegConfig.cmake.in
  ${CMAKE_BINARY_DIR}/install/PelRegConfig.cmake
  INSTALL_DESTINATION ${PELOK_INSTALL_CMAKE_DIR}
  PATH_VARS PELOK_INSTALL_MODULE_DIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/PelRegConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/PelRegConfig.cmake
              ${CMAKE_BINARY_DIR}/install/PelRegConfigVersion.cmake
        DESTINATION ${PELOK_INSTALL_CMAKE_DIR})

if(NOT WIN32)
  set(PELOK_PC_LIBS "-lpelok_loader -lpelok_dll_registry -lpelok_util -lpelok_platform")
  string(APPEND PELOK_PC_LIBS " ${CMAKE_DL_LIBS} -lpthread")
else()
  set(PELOK_PC_LIBS "-lpelok_loader -lpelok_dll_registry -lpelok_util -lpelok_platform")
endif()
string(REGEX REPLACE "(^| )dl( |$)" "\\1-ldl\\2" PELOK_PC_LIBS "${PELOK_PC_LIBS}")
# Relocatable: the prefix is found from where the file lies, whatever --prefix said.
file(RELATIVE_PATH PELOK_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" PELOK_PC_TO_PREFIX "${PELOK_PC_TO_PREFIX}")
configure_file(cmake/pelreg.pc.in ${CMAKE_BINARY_DIR}/install/pelreg.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/pelreg.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
