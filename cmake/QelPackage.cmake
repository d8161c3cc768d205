# The installed package: find_package(qel CONFIG COMPONENTS framework framework-gui mail widgets) with
# targets qel::framework, qel::framework-gui, qel::mail, qel::mapi32 and qel::widgets, and pkg-config
# files qel-framework, qel-framework-gui, qel-mail and qel-widgets. The libraries, headers
# and the tool install themselves from their own folders.
include(CMakePackageConfigHelpers)
set(QEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qel)

foreach(Component framework framework-gui mail widgets)
  install(EXPORT qel-${Component}-targets NAMESPACE qel:: DESTINATION ${QEL_CMAKE_DIR})
endforeach()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/qelConfig.cmake.in ${PROJECT_BINARY_DIR}/qelConfig.cmake
  INSTALL_DESTINATION ${QEL_CMAKE_DIR})
# One SOVERSION per major version: a host built against 0.x runs with any 0.y.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qelConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qelConfig.cmake ${PROJECT_BINARY_DIR}/qelConfigVersion.cmake
  DESTINATION ${QEL_CMAKE_DIR})

# The .pc files name their prefix relative to themselves, so that `cmake --install --prefix DIR`
# may choose another prefix than the one configured.
file(RELATIVE_PATH QEL_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" QEL_PC_PREFIX "${QEL_PC_PREFIX}")
foreach(Pc qel-framework qel-framework-gui qel-mail qel-widgets)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${Pc}.pc.in ${PROJECT_BINARY_DIR}/${Pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${Pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
