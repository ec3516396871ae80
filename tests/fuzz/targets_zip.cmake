# ZIP reader: Load plus extraction of whole archives, and the decoders alone (with
# zlib as the reference for Deflate).
mobrelle_fuzz_target(fuzz_zip LIBS mobrelle_zip)
mobrelle_fuzz_target(fuzz_zip_methods LIBS mobrelle_zip ZLIB::ZLIB)
