ostrel_test(regcfg LIBS ostrel_installer)
