ostrel_test(treecmds LIBS ostrel_components)
