# The conversion pass over a real directory list view as its input pane; it runs the Ghostscript stand-in.
if(TARGET gswin32c_bridge)
    ostrel_test(dirviewpass LIBS ostrel_app ostrel_components SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/conv/ConversionFixture.cpp
                DEPENDS gswin32c_bridge)
else()
    ostrel_test(dirviewpass LIBS ostrel_app ostrel_components SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/conv/ConversionFixture.cpp)
endif()
