# Debian's hardening flags, as dpkg-buildflags gives them with every hardening
# feature on, for the optimised configurations. The optimisation and debug
# levels stay the build type's, and the file-prefix map is left out (it names
# the source folder, which would keep worktrees from sharing the compiler cache).
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: built without Debian's hardening flags")
  return()
endif()

function(orvex_buildflags out kind)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?|f(file|debug|macro)-prefix-map=.*)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

orvex_buildflags(ORVEX_HARDENING_CPPFLAGS CPPFLAGS)
orvex_buildflags(ORVEX_HARDENING_CXXFLAGS CXXFLAGS)
orvex_buildflags(ORVEX_HARDENING_LDFLAGS LDFLAGS)
# Two features hardening-check looks for that Debian 12's dpkg-buildflags does
# not turn on yet (later releases do): stack clash protection and, on x86,
# control-flow protection.
include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "ORVEX_HAS${flag}" known)
  check_cxx_compiler_flag(${flag} ${known})
  if(${known} AND NOT flag IN_LIST ORVEX_HARDENING_CXXFLAGS)
    list(APPEND ORVEX_HARDENING_CXXFLAGS ${flag})
  endif()
endforeach()
set(optimised "$<NOT:$<CONFIG:Debug>>")
foreach(flag IN LISTS ORVEX_HARDENING_CPPFLAGS ORVEX_HARDENING_CXXFLAGS)
  add_compile_options("$<${optimised}:${flag}>")
endforeach()
foreach(flag IN LISTS ORVEX_HARDENING_LDFLAGS)
  add_link_options("$<${optimised}:${flag}>")
endforeach()
