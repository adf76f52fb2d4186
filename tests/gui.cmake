ostrel_test(gui LIBS ostrel_gui)
