# Writes the site's service worker (OUTPUT) from its template (TEMPLATE): the
# site's files, and the build's version, the first 16 hex digits of the SHA-256
# of what `sha256sum NAME...` prints for them in the site (tests/web/site_test.sh
# checks it so).
# usage: cmake -DTEMPLATE=sw.js.in -DOUTPUT=sw.js -P site_version.cmake -- NAME=PATH...
set(sums "")
set(names "")
set(after_dashes OFF)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  set(arg "${CMAKE_ARGV${i}}")
  if(after_dashes)
    string(REGEX MATCH "^([^=]+)=(.*)$" pair "${arg}")
    file(SHA256 "${CMAKE_MATCH_2}" sum)
    string(APPEND sums "${sum}  ${CMAKE_MATCH_1}\n")
    list(APPEND names "\"${CMAKE_MATCH_1}\"")
  elseif(arg STREQUAL "--")
    set(after_dashes ON)
  endif()
endforeach()
string(SHA256 version "${sums}")
string(SUBSTRING "${version}" 0 16 TURNFAN_SITE_VERSION)
list(JOIN names ", " TURNFAN_SITE_FILES)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
