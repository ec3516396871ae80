# The first-use guide is a file beside the program that anyone may have replaced.
if(TARGET mobrelle_rtf_text)
  mobrelle_fuzz_target(fuzz_rtf_text LIBS mobrelle_rtf_text)
endif()
