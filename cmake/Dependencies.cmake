# Third-party pieces, taken from Debian without exposing /usr/include to MinGW
# (Linux headers there would shadow the Windows ones).

set(LAUNCHER_DEPS_CACHE "/var/cache/launcher-deps" CACHE PATH "Where scripts/setup keeps built dependencies")

# Header-only libraries: link just their folders into the build tree.
set(THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${THIRD_PARTY_INCLUDE})
foreach(lib rapidjson stb)
  if(NOT EXISTS /usr/include/${lib})
    message(FATAL_ERROR "/usr/include/${lib} is missing: run scripts/setup")
  endif()
  file(CREATE_LINK /usr/include/${lib} ${THIRD_PARTY_INCLUDE}/${lib} SYMBOLIC)
endforeach()
add_library(rapidjson INTERFACE)
target_include_directories(rapidjson SYSTEM INTERFACE ${THIRD_PARTY_INCLUDE})
add_library(stb INTERFACE)
target_include_directories(stb SYSTEM INTERFACE ${THIRD_PARTY_INCLUDE}/stb)

# zlib from libz-mingw-w64-dev lives in the MinGW sysroot.
find_library(ZLIB_STATIC NAMES libz.a z REQUIRED)
add_library(zlib INTERFACE)
target_link_libraries(zlib INTERFACE ${ZLIB_STATIC})

# Static libraries scripts/setup cross-builds per architecture from Debian's
# sources into ${LAUNCHER_DEPS_CACHE}/<name>-<toolchain prefix>; the
# arguments after the archive are the system libraries it needs.
function(add_cached_library name archive)
  set(prefix ${LAUNCHER_DEPS_CACHE}/${name}-${TOOLCHAIN_PREFIX})
  if(NOT EXISTS ${prefix}/lib/${archive})
    message(FATAL_ERROR "${prefix}/lib/${archive} is missing: run scripts/setup")
  endif()
  add_library(${name} INTERFACE)
  target_include_directories(${name} SYSTEM INTERFACE ${prefix}/include)
  target_link_libraries(${name} INTERFACE ${prefix}/lib/${archive} ${ARGN})
endfunction()

# libcurl with Schannel.
add_cached_library(curl libcurl.a ws2_32 crypt32 secur32 bcrypt advapi32 iphlpapi)
target_compile_definitions(curl INTERFACE CURL_STATICLIB)
add_cached_library(zstd libzstd.a)

# GoogleTest from Debian's sources, built with the cross toolchain.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
