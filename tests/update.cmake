ostrel_test(update LIBS ostrel_app ws2_32)
