ostrel_test(lang LIBS ostrel_app)
