ostrel_test(tree LIBS ostrel_components)
