# Ostrel.exe started as a real process from a copy of the shipped folder; the Ghostscript stand-in converts the
# command-line file.
if(TARGET Ostrel)
    if(TARGET gswin32c_bridge)
        ostrel_test(mainwin LIBS ostrel_app DEPENDS Ostrel dist gswin32c_bridge)
    else()
        ostrel_test(mainwin LIBS ostrel_app DEPENDS Ostrel dist)
    endif()
endif()
