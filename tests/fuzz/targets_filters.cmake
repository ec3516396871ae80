# Filter and history files may be edited by hand or imported; filter texts and message fields come
# from anyone.
mobrelle_fuzz_target(fuzz_filter_lists LIBS mobrelle_lists)
mobrelle_fuzz_target(fuzz_filter_matching LIBS mobrelle_matching)
