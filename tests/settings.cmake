ostrel_test(settings LIBS ostrel_app)
