mobrelle_test(first_use_tests ui
  SOURCES first_use/rtf_text_test.cpp first_use/tpremier_lancement_test.cpp
  LIBS mobrelle_ui_first_use)
