# The pass tests run the Ghostscript stand-in, so it must be built (wine-run.sh installs it in the prefix).
if(TARGET gswin32c_bridge)
    ostrel_test(conv LIBS ostrel_app DEPENDS gswin32c_bridge)
else()
    ostrel_test(conv LIBS ostrel_app)
endif()
