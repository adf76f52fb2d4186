ostrel_test(folderdlg LIBS ostrel_components)
