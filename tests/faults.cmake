# Ostrel.exe under faults, end to end: its own program folder per case, real Ghostscript through the stand-in, real
# timer ticks; each case is judged by the files on disk, the log and the process's end.
if(TARGET Ostrel AND TARGET gswin32c_bridge)
    ostrel_test(faults DEPENDS Ostrel dist gswin32c_bridge)
endif()
