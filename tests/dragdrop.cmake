ostrel_test(dragdrop LIBS ostrel_components)
