# Ostrel.exe started as a real process; the Ghostscript stand-in converts the command-line file.
if(TARGET Ostrel)
    if(TARGET gswin32c_bridge)
        ostrel_test(mainwin LIBS ostrel_app DEPENDS Ostrel gswin32c_bridge)
    else()
        ostrel_test(mainwin LIBS ostrel_app DEPENDS Ostrel)
    endif()
endif()
