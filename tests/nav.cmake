ostrel_test(nav LIBS ostrel_app)
