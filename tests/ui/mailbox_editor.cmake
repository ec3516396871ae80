mobrelle_test(mailbox_editor_tests ui
  SOURCES mailbox_editor/tform2_test.cpp
  LIBS mobrelle_ui_mailbox_editor mobrelle_app)
