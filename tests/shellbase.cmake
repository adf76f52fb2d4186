ostrel_test(shellbase LIBS ostrel_components)
