# The Windows utilities below the window layer that need the system: file system queries and its text rules.
ostrel_test(win LIBS ostrel_win)
