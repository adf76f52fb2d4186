ostrel_test(sortlv LIBS ostrel_components)
