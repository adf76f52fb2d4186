ostrel_test(dirview LIBS ostrel_components)
