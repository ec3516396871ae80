# Desktop entries and mimeapps.list files of the mail program, and the reply address built from
# message fields.
if(TARGET mobrelle_mail_program_engine)
  mobrelle_fuzz_target(fuzz_desktop_entry LIBS mobrelle_mail_program_engine)
endif()
