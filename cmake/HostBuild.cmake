# The build machine's own tree: store/, pack/ (korva-pack), their tests and
# the store's benchmark, with Debian's libzstd-dev, libssl-dev, rapidjson-dev
# and googletest, all installed by scripts/setup.
add_compile_options(-Wall -Wextra)

find_path(ZSTD_INCLUDE_DIR zstd.h REQUIRED)
find_library(ZSTD_LIBRARY zstd REQUIRED)
add_library(zstd INTERFACE)
target_include_directories(zstd SYSTEM INTERFACE ${ZSTD_INCLUDE_DIR})
target_link_libraries(zstd INTERFACE ${ZSTD_LIBRARY})

find_package(OpenSSL 3 REQUIRED COMPONENTS Crypto)

find_path(RAPIDJSON_INCLUDE_DIR rapidjson/document.h REQUIRED)
add_library(rapidjson INTERFACE)
target_include_directories(rapidjson SYSTEM INTERFACE ${RAPIDJSON_INCLUDE_DIR})

if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "/usr/src/googletest is missing: run scripts/setup")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

foreach(dir store pack tests bench/chunkstore)
  add_subdirectory(${dir})
endforeach()
