# POP3 replies come from any server: line cutting, status, numbers, uid, timestamp and dot rules.
mobrelle_fuzz_target(fuzz_pop3_reply LIBS mobrelle_pop3_engine)
