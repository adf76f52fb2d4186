# The saved file is run through the Ghostscript stand-in, so it must be built (wine-run.sh installs it).
if(TARGET gswin32c_bridge)
    ostrel_test(dokuinfo LIBS ostrel_app DEPENDS gswin32c_bridge)
else()
    ostrel_test(dokuinfo LIBS ostrel_app)
endif()
