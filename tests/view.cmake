ostrel_test(view LIBS ostrel_app)
