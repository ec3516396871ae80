# Attachment analysis of whole messages: MIME parts, then ZIP archives inside them.
mobrelle_fuzz_target(fuzz_analysis LIBS mobrelle_analysis)
