# The core's tests, also built natively with sanitizers (tests/core/CMakeLists.txt, preset native).
ostrel_test(core LIBS ostrel_core)
