ostrel_test(combos LIBS ostrel_components)
