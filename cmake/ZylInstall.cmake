# Installation for C++ hosts: the static library, its public headers (under
# include/zylhg, included as "grid/ZylHTMLGrid.h"), a CMake package
# (find_package(ZylHG) gives the target ZylHG::zylhg) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS zylhg EXPORT ZylHGTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(dir platform datasets grid render request data edit export config)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zylhg/${dir}
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/images/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zylhg/images)

set(ZYL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZylHG)
install(EXPORT ZylHGTargets NAMESPACE ZylHG:: DESTINATION ${ZYL_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZylHGConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ZylHGConfig.cmake INSTALL_DESTINATION ${ZYL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZylHGConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZylHGConfig.cmake ${PROJECT_BINARY_DIR}/ZylHGConfigVersion.cmake
        DESTINATION ${ZYL_CMAKE_DIR})

configure_file(${PROJECT_SOURCE_DIR}/cmake/zylhg.pc.in ${PROJECT_BINARY_DIR}/zylhg.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zylhg.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
