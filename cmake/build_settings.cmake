# What every configuration of this tree shares: the main build and the fuzz
# build (tests/fuzz) include it, so the language level, the compiler cache and
# the libraries under src/platform are stated once.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

# Rebuilds of unchanged sources come from the compiler cache when the machine has one.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(LIBMDB REQUIRED IMPORTED_TARGET libmdb)
pkg_check_modules(ODBC REQUIRED IMPORTED_TARGET odbc)
pkg_check_modules(ODBCINST REQUIRED IMPORTED_TARGET odbcinst)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
find_package(OpenSSL REQUIRED)
find_package(nlohmann_json REQUIRED)

# The layers of src/ and their check.
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)
