ostrel_test(ctxmenu LIBS ostrel_components)
