# The manual pages, the changelog and the copyright file, where Debian's
# policy wants them: pages and changelog compressed with gzip -9n, so the
# package's bytes do not depend on when it was built.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(GLIMMERBOX_DEBIAN_DIR ${CMAKE_CURRENT_LIST_DIR}/debian)
set(GLIMMERBOX_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/install-data/compressed)

# The changelog's newest entry names the version the package carries, and
# its date is the release's (GLIMMERBOX_RELEASE_DATE, as YYYY-MM-DD).
file(STRINGS ${GLIMMERBOX_DEBIAN_DIR}/changelog glimmerbox_changelog_top LIMIT_COUNT 1)
string(REGEX MATCH "\\(([^)]+)\\)" glimmerbox_changelog_version "${glimmerbox_changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "cmake/debian/changelog's newest entry is ${CMAKE_MATCH_1}, "
                      "the project is ${PROJECT_VERSION}: add an entry")
endif()
file(STRINGS ${GLIMMERBOX_DEBIAN_DIR}/changelog glimmerbox_changelog_trailer
     REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) " glimmerbox_changelog_date
             "${glimmerbox_changelog_trailer}")
set(release_day ${CMAKE_MATCH_1})
set(release_year ${CMAKE_MATCH_3})
set(release_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(release_month_numbers 01 02 03 04 05 06 07 08 09 10 11 12)
list(FIND release_months "${CMAKE_MATCH_2}" release_month_index)
if(NOT glimmerbox_changelog_date OR release_month_index LESS 0)
  message(FATAL_ERROR "cmake/debian/changelog's newest entry has no date cmake can read")
endif()
list(GET release_month_numbers ${release_month_index} release_month)
string(LENGTH "${release_day}" release_day_digits)
if(release_day_digits EQUAL 1)
  set(release_day 0${release_day})
endif()
set(GLIMMERBOX_RELEASE_DATE ${release_year}-${release_month}-${release_day})

# Compresses SOURCE to <compressed dir>/NAME.gz at build time.
function(glimmerbox_gzip source name out_var)
  set(output ${GLIMMERBOX_COMPRESSED_DIR}/${name}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GLIMMERBOX_COMPRESSED_DIR}
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()

# Every page in data/man, by its section: the file name's last extension.
file(GLOB glimmerbox_man_pages CONFIGURE_DEPENDS ${GLIMMERBOX_DATA_DIR}/man/*.[1-8])
set(glimmerbox_compressed)
foreach(page IN LISTS glimmerbox_man_pages)
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\." "" section ${name})
  glimmerbox_gzip(${page} ${name} compressed)
  list(APPEND glimmerbox_compressed ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

glimmerbox_gzip(${GLIMMERBOX_DEBIAN_DIR}/changelog changelog compressed)
list(APPEND glimmerbox_compressed ${compressed})
set(glimmerbox_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/glimmerbox)
install(FILES ${compressed} DESTINATION ${glimmerbox_doc_dir})
install(FILES ${GLIMMERBOX_DEBIAN_DIR}/copyright DESTINATION ${glimmerbox_doc_dir})

add_custom_target(glimmerbox_docs ALL DEPENDS ${glimmerbox_compressed})
