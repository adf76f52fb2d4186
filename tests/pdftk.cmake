ostrel_test(pdftk DEPENDS pdftk_bridge)
