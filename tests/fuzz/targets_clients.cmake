# The network clients' parsers of what servers send.
mobrelle_fuzz_target(fuzz_dns_response LIBS mobrelle_dns_engine)
mobrelle_fuzz_target(fuzz_smtp_reply LIBS mobrelle_smtp_engine)
mobrelle_fuzz_target(fuzz_http_header LIBS mobrelle_http_engine)
