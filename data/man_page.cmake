# cmake -DTEMPLATE=FILE -DLIST=FILE -DOUTPUT=FILE -P man_page.cmake: the manual page with the
# line '.\" BUILT-IN SYSTEMS' of TEMPLATE replaced by the text of LIST.
file(READ ${TEMPLATE} template)
file(READ ${LIST} list)
string(REPLACE ".\\\" BUILT-IN SYSTEMS\n" "${list}" page "${template}")
if(page STREQUAL template)
    message(FATAL_ERROR "${TEMPLATE} has no line '.\\\" BUILT-IN SYSTEMS'")
endif()
file(WRITE ${OUTPUT}.new "${page}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
