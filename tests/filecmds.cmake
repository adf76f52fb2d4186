# The main window's file commands; the recording reader program of the post-processing tests stands in for the
# editor, the reader and the Ghostscript viewer.
ostrel_test(filecmds LIBS ostrel_app DEPENDS post_reader_stub)
