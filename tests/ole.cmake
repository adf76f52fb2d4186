ostrel_test(ole LIBS ostrel_components)
