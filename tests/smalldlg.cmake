ostrel_test(smalldlg LIBS ostrel_app)
