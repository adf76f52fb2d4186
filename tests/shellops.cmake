ostrel_test(shellops LIBS ostrel_components)
