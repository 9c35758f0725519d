# Delay-loaded system libraries for an executable: a library named here is
# loaded at the first call of one of its functions instead of at start-up.
# Each gets a delay-import library made with dlltool from the MinGW import
# library's own symbols, in a folder searched before the toolchain's, so
# that every -l<name> of the target (its dependencies' included) takes it.
#
#   delay_load_libraries(<target> <name>...)   e.g. delay_load_libraries(app crypt32 bcrypt)

set(DELAY_LOAD_DIR ${CMAKE_BINARY_DIR}/delayload)
set(DELAY_LOAD_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/MakeDelayLib.cmake)
find_program(MINGW_NM ${TOOLCHAIN_PREFIX}-nm REQUIRED)
find_program(MINGW_DLLTOOL ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
set(DELAY_LOAD_UNDERSCORED 0)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(DELAY_LOAD_UNDERSCORED 1)
endif()

function(delay_load_libraries target)
  foreach(name ${ARGN})
    set(output ${DELAY_LOAD_DIR}/lib${name}.a)
    if(NOT TARGET delayload_${name})
      find_library(IMPORT_LIB_${name} NAMES lib${name}.a REQUIRED)
      add_custom_command(OUTPUT ${output} ${output}.rsp
        COMMAND ${CMAKE_COMMAND} -DNM=${MINGW_NM} -DDLLTOOL=${MINGW_DLLTOOL} -DIMPORT_LIB=${IMPORT_LIB_${name}}
          -DDLL=${name}.dll -DOUTPUT=${output} -DUNDERSCORED=${DELAY_LOAD_UNDERSCORED} -P ${DELAY_LOAD_SCRIPT}
        DEPENDS ${DELAY_LOAD_SCRIPT} ${IMPORT_LIB_${name}}
        COMMENT "Delay-import library for ${name}.dll")
      add_custom_target(delayload_${name} DEPENDS ${output})
    endif()
    add_dependencies(${target} delayload_${name})
    target_link_options(${target} PRIVATE -Wl,@${output}.rsp)
    # A new import library relinks the target.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${output})
  endforeach()
  target_link_directories(${target} BEFORE PRIVATE ${DELAY_LOAD_DIR})
endfunction()
