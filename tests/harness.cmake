ostrel_test(harness)
