# The core's libraries link neither Qt Widgets nor Qt Gui, directly or through
# one another: the headless runner and the core's tests need Qt Core alone.
#   cmake -DLINKS=<target>=<libraries>;... -P core_links.cmake
# LINKS holds, for every core target, its own link libraries ("|" between them).
set(bad)
foreach(entry ${LINKS})
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 target)
  list(LENGTH pair n)
  if(n GREATER 1)
    list(GET pair 1 libraries)
    string(REPLACE "|" ";" libraries "${libraries}")
    foreach(library ${libraries})
      if(library MATCHES "Qt6?::(Gui|Widgets|PrintSupport)" OR library MATCHES "^volm_(ui|report)$")
        list(APPEND bad "${target} -> ${library}")
      endif()
    endforeach()
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "The core links graphics: ${bad}")
endif()
message(STATUS "The core links Qt Core only")
