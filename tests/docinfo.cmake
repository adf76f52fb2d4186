ostrel_test(docinfo LIBS ostrel_app)
