# The client's files that sit beside the program in <build>/bin: the language
# files, the default settings and login history, the home page and the release
# notes. Included once by client/core; target zentry_resources builds them.
#
# Each language file lang/<name>.ini is assembled at build time from the
# fragments lang/<name>.ini.d/*.ini, concatenated in name order, so that every
# part of the client keeps its own texts in a fragment of its own.

set(ZENTRY_RES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(zentry_res_outputs "")

foreach(lang zh_cn english big5)
  file(GLOB fragments CONFIGURE_DEPENDS ${ZENTRY_RES_DIR}/lang/${lang}.ini.d/*.ini)
  list(SORT fragments)
  set(out ${ZENTRY_BIN_DIR}/lang/${lang}.ini)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DFRAGMENTS=${fragments}"
            -P ${ZENTRY_RES_DIR}/lang/AssembleLang.cmake
    DEPENDS ${fragments} ${ZENTRY_RES_DIR}/lang/AssembleLang.cmake
    COMMENT "Assembling lang/${lang}.ini"
    VERBATIM)
  list(APPEND zentry_res_outputs ${out})
endforeach()

foreach(name korvandix.ini login.ini main.mht releasenotes.txt)
  set(out ${ZENTRY_BIN_DIR}/${name})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy ${ZENTRY_RES_DIR}/${name} ${out}
    DEPENDS ${ZENTRY_RES_DIR}/${name}
    VERBATIM)
  list(APPEND zentry_res_outputs ${out})
endforeach()

add_custom_target(zentry_resources ALL DEPENDS ${zentry_res_outputs})
