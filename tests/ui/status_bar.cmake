mobrelle_test(status_bar_tests ui
  SOURCES status_bar/status_bar_test.cpp status_bar/list_delegates_test.cpp
  LIBS mobrelle_ui mobrelle_resources_qt)
