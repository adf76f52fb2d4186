if(TARGET gswin32c_bridge)
    ostrel_test(gsbridge LIBS ostrel_shared DEPENDS gswin32c_bridge)
endif()
