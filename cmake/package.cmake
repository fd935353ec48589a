# What `cmake --install` puts in place: the shared and static libraries, the
# public headers, CMake package files (find_package(zel_code CONFIG) gives
# zel_code::zel_code and zel_code::zel_code_static) and a pkg-config file.
# zelconv and its man page are installed by cli/CMakeLists.txt.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The SONAME carries the major version: an incompatible change to the ten
# exports or the string record raises it. Windows callers load zel_code.dll
# by that name, unversioned.
if(NOT WIN32)
  set_target_properties(zel_code PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

target_include_directories(zel_code PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_include_directories(zel_code_static PUBLIC
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(zel_code_static PROPERTIES EXPORT_NAME zel_code_static)

install(TARGETS zel_code zel_code_static EXPORT zel_codeTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/zel_code.h include/zel_code.hpp include/zel_std.h include/zel_export.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(zel_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/zel_code)
install(EXPORT zel_codeTargets NAMESPACE zel_code:: DESTINATION ${zel_cmake_dir})
configure_package_config_file(cmake/zel_codeConfig.cmake.in
  ${PROJECT_BINARY_DIR}/zel_codeConfig.cmake
  INSTALL_DESTINATION ${zel_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zel_codeConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zel_codeConfig.cmake
  ${PROJECT_BINARY_DIR}/zel_codeConfigVersion.cmake
  DESTINATION ${zel_cmake_dir})

# The .pc file finds its prefix from where it lies, so an installed tree
# can be moved (or installed with --prefix) and still be found.
set(zel_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(ZEL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH zel_pc_up "/prefix/${zel_pc_dir}" "/prefix")
  string(REGEX REPLACE "/$" "" zel_pc_up "${zel_pc_up}")
  set(ZEL_PC_PREFIX "\${pcfiledir}/${zel_pc_up}")
endif()
set(ZEL_PC_CFLAGS "")
if(ZEL_CDECL)
  set(ZEL_PC_CFLAGS "-DZEL_CDECL")
endif()
configure_file(cmake/zel_code.pc.in ${PROJECT_BINARY_DIR}/zel_code.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zel_code.pc DESTINATION ${zel_pc_dir})
