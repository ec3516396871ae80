mobrelle_test(tray_tests ui
  SOURCES tray/tray_state_test.cpp tray/tray_icon_test.cpp tray/announcer_test.cpp
  LIBS mobrelle_ui_tray)
