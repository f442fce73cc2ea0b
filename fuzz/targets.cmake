# The fuzz targets (one source each, fuzz/<name>_fuzzer.cpp), shared by fuzz/CMakeLists.txt and
# the unit tests that replay the seed corpora. Keep in step with fuzztargets.h.
set(CIPHER_FUZZ_TARGETS rle rlestream string1 decode roundtrip sealed)
set(CIPHER_FUZZ_SOURCES "")
foreach(name IN LISTS CIPHER_FUZZ_TARGETS)
  list(APPEND CIPHER_FUZZ_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}_fuzzer.cpp)
endforeach()
set(CIPHER_FUZZ_CORPUS_DIR ${CMAKE_CURRENT_LIST_DIR}/corpus)

# Targets of the component runtime's readers (bags, window descriptions). They need Qt and the
# runtime libraries, so they are built only when those are: not in a cipher-only build.
set(RUNTIME_FUZZ_TARGETS bag form)
