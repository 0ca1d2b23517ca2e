# cmake -DOUT=<file> -DFRAGMENTS=<a;b;...> -P AssembleLang.cmake
# Writes one language file: a [common] section holding the lines of every
# fragment in the order given. Section lines inside fragments are dropped so
# the file keeps one section whatever the fragments hold. Files are read
# whole (not as CMake lists) so texts may hold ';' and brackets.
set(text "#Zentry language file, assembled from lang/*.ini.d at build time\n[common]\n")
foreach(fragment IN LISTS FRAGMENTS)
  file(READ ${fragment} content)
  string(REGEX REPLACE "\r" "" content "${content}")
  string(REGEX REPLACE "(^|\n)[ \t]*\\[[^\n]*" "\\1" content "${content}")
  if(NOT content MATCHES "\n$")
    string(APPEND content "\n")
  endif()
  get_filename_component(name ${fragment} NAME)
  string(APPEND text "# ${name}\n${content}")
endforeach()
get_filename_component(dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(WRITE ${OUT}.tmp "${text}")
file(RENAME ${OUT}.tmp ${OUT})
