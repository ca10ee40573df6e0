# Runs bench_mainform on a tiny vault and requires every figure line of its report.
#   cmake -DBENCH=path/to/bench_mainform -P CheckFigures.cmake
execute_process(COMMAND "${BENCH}" 20 OUTPUT_VARIABLE out RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "bench_mainform failed (${result}):\n${out}")
endif()
set(number "[0-9.,]+")
set(figures "== 20 accounts: data file ${number} bytes"
            "action +runs +median +max +first +events +keys +target +peak KiB +x file")
foreach(action "Open" "Choose account" "Keystroke \\(login\\)" "Find \\(Ctrl\\+F\\)"
               "Find keystroke" "Find, every field" "Add" "Delete" "Save" "Change password")
    list(APPEND figures
         "${action} +[0-9]+ +${number} ms +${number} ms +${number} ms +${number} ms +[0-9]+ <=[0-9] (PASS|MISS) +${number} +(-?${number}|-)")
endforeach()
list(APPEND figures
     "OpenSSL floor: 100,000 BF_set_key"
     "Every Add of 20 accounts, the first included, at most 2.000 ms: ${number} ms +(PASS|MISS)"
     "Open of 20 accounts at most 0.05 x the floor"
     "Find keystroke in 20 accounts at most ${number} ms: ${number} ms +(PASS|MISS)"
     "Find keystroke in every field of 20 accounts, after the first \\(${number} ms\\), at most ${number} ms: ${number} ms +(PASS|MISS)"
     "Memory: peak resident"
     "20 accounts: at most 3 x file above the empty program: -?${number} x")
foreach(figure IN LISTS figures)
    if(NOT out MATCHES "${figure}")
        message(FATAL_ERROR "missing figure line: ${figure}\n${out}")
    endif()
endforeach()
