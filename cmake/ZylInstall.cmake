# Installation for C++ hosts: the static library, its public headers (under
# include/zylhg, included as "grid/ZylHTMLGrid.h"), a CMake package
# (find_package(ZylHG) gives the target ZylHG::zylhg) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS zylhg EXPORT ZylHGTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The public headers: what a host includes (the grid and its elements,
# TZylCSS and the update-lock store a host may give it, the dataset contract
# and the datasets, the export function, the streams and automation objects
# the grid and TZylCSS take), and every header of the library they include.
# A public header may include only the standard library (angle brackets
# without "." or "/"); a dependency's header (sqlite3.h, libpq-fe.h,
# unicode/..., SimpleIni.h, ...) stays in the .cpp files.
set(ZYL_PUBLIC_HEADERS
  grid/ZylHTMLGrid.h
  request/ZylCSS.h
  request/UpdateLockStore.h
  datasets/DataSet.h
  datasets/ZylMemDataset.h
  datasets/SQLiteDataset.h
  datasets/SQLiteCountCache.h
  datasets/PgDataset.h
  export/ZylHTMLExport.h
  platform/Stream.h
  platform/Automation.h
  platform/AspObjects.h
)

# zyl_include_closure(<out> <header>...): the headers and every project
# header they include, directly or not; fails on an include of a header
# outside the project and the standard library.
function(zyl_include_closure out)
  set(pending ${ARGN})
  set(done)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST done)
      continue()
    endif()
    list(APPEND done ${header})
    set(path ${PROJECT_SOURCE_DIR}/${header})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(STRINGS ${path} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        list(APPEND pending ${CMAKE_MATCH_1})
      elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
        set(name ${CMAKE_MATCH_1})
        if(name MATCHES "[./]")
          message(FATAL_ERROR "public header ${header} includes <${name}>, "
                              "which an installed host may not have: include it in a .cpp file")
        endif()
      endif()
    endforeach()
  endwhile()
  set(${out} ${done} PARENT_SCOPE)
endfunction()

zyl_include_closure(zyl_installed_headers ${ZYL_PUBLIC_HEADERS})
foreach(header IN LISTS zyl_installed_headers)
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zylhg/${dir})
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
