ostrel_test(dvthreads LIBS ostrel_components)
