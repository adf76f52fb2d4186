ostrel_test(dialogs LIBS ostrel_app)
