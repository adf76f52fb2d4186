ostrel_test(dirviewcmds LIBS ostrel_components)
