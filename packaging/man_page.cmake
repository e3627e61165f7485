# Manual pages made by help2man from a program's own --help and --version, so
# that a page cannot say other than the program. Not in sanitizer and fuzz
# builds: their programs need a special environment to run at build time.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(HELP2MAN AND GZIP AND NOT ORVEX_SANITIZE AND NOT ORVEX_FUZZ)
  set(ORVEX_MAN_PAGES ON)
else()
  set(ORVEX_MAN_PAGES OFF)
endif()

# orvex_man_page(TARGET SUMMARY [HELP_OPTION opt] COMPONENT c): man1 page TARGET.1.gz;
# packaging/man/TARGET.h2m adds the sections --help does not have.
function(orvex_man_page target summary)
  cmake_parse_arguments(M "" "HELP_OPTION;COMPONENT" "" ${ARGN})
  if(NOT ORVEX_MAN_PAGES)
    return()
  endif()
  if(NOT M_HELP_OPTION)
    set(M_HELP_OPTION --help)
  endif()
  set(include ${PROJECT_SOURCE_DIR}/packaging/man/${target}.h2m)
  set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
  # A scratch settings folder: the programs read no settings for --help, and
  # must not find a user's.
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man/config
    COMMAND ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/man/config
            ${HELP2MAN} --no-info --section=1 --name=${summary} --help-option=${M_HELP_OPTION}
            --include=${include} --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${GZIP} -9 -n -f ${page}
    DEPENDS ${target} ${include}
    COMMENT "Manual page ${target}.1"
    VERBATIM)
  add_custom_target(man_${target} ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION share/man/man1 COMPONENT ${M_COMPONENT})
endfunction()
