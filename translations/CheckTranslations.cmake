# Merges the program's current texts into a copy of each .ts file and fails when a text has no
# translation there: a new or changed text (lupdate marks it unfinished), an empty translation,
# or a translation whose text the program no longer has (vanished or obsolete).
#   cmake -DLUPDATE=<lupdate> -DOPTIONS=<its options> -DSOURCES=<files> -DTS_FILES=<files>
#         -DWORK_DIR=<dir> -P CheckTranslations.cmake
file(MAKE_DIRECTORY ${WORK_DIR})
set(failed FALSE)
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name ${ts} NAME)
    set(copy ${WORK_DIR}/${name})
    configure_file(${ts} ${copy} COPYONLY)
    execute_process(COMMAND ${LUPDATE} -silent ${OPTIONS} ${SOURCES} -ts ${copy}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "lupdate failed on ${name}")
        set(failed TRUE)
        continue()
    endif()
    file(READ ${copy} text)
    # One <message> element per list entry: "<message" starts each.
    string(REPLACE ";" "\\;" text "${text}")
    string(REPLACE "<message" ";<message" messages "${text}")
    set(missing 0)
    foreach(message IN LISTS messages)
        if(NOT message MATCHES "^<message")
            continue()
        endif()
        if(message MATCHES "type=\"(unfinished|vanished|obsolete)\""
           OR message MATCHES "<translation></translation>|<translation/>"
           OR message MATCHES "<numerusform></numerusform>|<numerusform/>")
            string(REGEX MATCH "<source>[^<]*</source>" source "${message}")
            string(REGEX REPLACE "</?source>" "" source "${source}")
            message("${name}: no translation for \"${source}\"")
            math(EXPR missing "${missing} + 1")
        endif()
    endforeach()
    if(missing GREATER 0)
        message(SEND_ERROR "${name}: ${missing} texts without a translation; bring the file up to "
                           "date with the update_translations target and translate them")
        set(failed TRUE)
    endif()
endforeach()
if(failed)
    message(FATAL_ERROR "translations incomplete")
endif()
