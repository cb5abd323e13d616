# Registers one ctest test per GoogleTest suite found in the sources (TEST and TEST_F).
# Under Wine every process start is costly, so a suite, not a single test, is the unit.
function(qntx_add_gtest_suites target prefix)
  set(suites)
  foreach(source IN LISTS ARGN)
    # A suite added or renamed must re-register: a stale filter would match nothing and pass.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(READ ${source} text)
    string(REGEX MATCHALL "TEST(_F)?\\([ \t\r\n]*[A-Za-z0-9_]+[ \t\r\n]*," found "${text}")
    foreach(match IN LISTS found)
      string(REGEX REPLACE "TEST(_F)?\\([ \t\r\n]*([A-Za-z0-9_]+).*" "\\2" suite "${match}")
      list(APPEND suites ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(suite IN LISTS suites)
    add_test(NAME ${prefix}.${suite} COMMAND ${target} --gtest_filter=${suite}.* --gtest_color=no)
  endforeach()
endfunction()

# The tests of this folder run in the session's own prefix and on its display, so they take
# turns; tests in a prefix and on an X server of their own (fresh-prefix.sh) run side by side.
macro(qntx_tests_share_the_session)
  get_property(qntx_session_tests DIRECTORY PROPERTY TESTS)
  if(qntx_session_tests)
    set_tests_properties(${qntx_session_tests} PROPERTIES RESOURCE_LOCK wine-session)
  endif()
endmacro()
