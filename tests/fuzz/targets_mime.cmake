# MIME decoder and header helpers: both read text that comes from any sender.
mobrelle_fuzz_target(fuzz_mime_decode LIBS mobrelle_mime)
mobrelle_fuzz_target(fuzz_headers_decode LIBS mobrelle_headers)
