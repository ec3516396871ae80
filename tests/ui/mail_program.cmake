mobrelle_test(mail_program_tests ui
  SOURCES mail_program/command_rules_test.cpp mail_program/desktop_entry_test.cpp mail_program/mail_program_test.cpp
  LIBS mobrelle_ui_mail_program mobrelle_app)
