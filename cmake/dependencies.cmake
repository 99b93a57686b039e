# libyaml, zlib, minizip and cpp-httplib: Debian's packages on Linux; on Windows the same
# sources cross-built by scripts/setup into VELK_DEPS_PREFIX.
if(WIN32)
  set(VELK_DEPS_PREFIX "${PROJECT_SOURCE_DIR}/build/deps/${VELK_MINGW}" CACHE PATH
      "Where scripts/setup installed the mingw builds of libyaml, zlib and minizip")
  if(NOT EXISTS "${VELK_DEPS_PREFIX}/lib/libyaml.a")
    message(FATAL_ERROR "No mingw libraries in ${VELK_DEPS_PREFIX}: run scripts/setup first")
  endif()
  foreach(lib yaml z minizip)
    add_library(velk_dep_${lib} STATIC IMPORTED GLOBAL)
    set_target_properties(velk_dep_${lib} PROPERTIES
      IMPORTED_LOCATION "${VELK_DEPS_PREFIX}/lib/lib${lib}.a"
      INTERFACE_INCLUDE_DIRECTORIES "${VELK_DEPS_PREFIX}/include")
  endforeach()
  set_property(TARGET velk_dep_yaml APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS YAML_DECLARE_STATIC)
  set_property(TARGET velk_dep_minizip APPEND PROPERTY INTERFACE_LINK_LIBRARIES velk_dep_z)
  add_library(velk::yaml ALIAS velk_dep_yaml)
  add_library(velk::minizip ALIAS velk_dep_minizip)
  # cpp-httplib's single header, header-only, over Winsock.
  add_library(velk_dep_httplib INTERFACE IMPORTED GLOBAL)
  set_target_properties(velk_dep_httplib PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${VELK_DEPS_PREFIX}/include/httplib"
    INTERFACE_LINK_LIBRARIES ws2_32)
  add_library(velk::httplib ALIAS velk_dep_httplib)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VELK_YAML REQUIRED IMPORTED_TARGET yaml-0.1)
  pkg_check_modules(VELK_MINIZIP REQUIRED IMPORTED_TARGET minizip)
  add_library(velk::yaml ALIAS PkgConfig::VELK_YAML)
  add_library(velk::minizip ALIAS PkgConfig::VELK_MINIZIP)
  pkg_check_modules(VELK_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  find_package(Threads REQUIRED)
  add_library(velk_dep_httplib INTERFACE)
  target_link_libraries(velk_dep_httplib INTERFACE PkgConfig::VELK_HTTPLIB Threads::Threads)
  add_library(velk::httplib ALIAS velk_dep_httplib)
endif()

if(VELK_TESTS)
  if(WIN32)
    # Debian ships GoogleTest's sources; build them with the cross compiler.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # It defines the GTest:: targets itself.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
