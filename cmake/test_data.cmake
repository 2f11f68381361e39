# The Jet test files of tests/data/jet, laid out in the build tree as one
# folder that the tests, benchmarks and scripts read: the small files are
# copied, the 30,000-row table is unpacked from its archive. Done at configure
# time and again when a stored file changes.
set(PREISLISTE_TEST_JET_DIR ${PROJECT_BINARY_DIR}/test-data/jet)

set(_stored ${PROJECT_SOURCE_DIR}/tests/data/jet)
file(GLOB_RECURSE _stored_files CONFIGURE_DEPENDS ${_stored}/*.mdb ${_stored}/*.tar.xz)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_stored_files})

file(REMOVE_RECURSE ${PREISLISTE_TEST_JET_DIR})
foreach(folder numbers access-made)
  file(COPY ${_stored}/${folder} DESTINATION ${PREISLISTE_TEST_JET_DIR}
       FILES_MATCHING PATTERN "*.mdb")
endforeach()
file(ARCHIVE_EXTRACT INPUT ${_stored}/numbers/numbers-big.mdb.tar.xz
     DESTINATION ${PREISLISTE_TEST_JET_DIR}/numbers)
