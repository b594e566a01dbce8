# Install rules (`make install`, `cmake --install`): the program, its man page, and the READMEs
# with the example data. Paths are relative to the prefix, so PREFIX and DESTDIR both apply.
# The man page carries PROJECT_VERSION and a date taken from SOURCE_DATE_EPOCH when it is set
# (the archives of `make dist` set it to the last commit's time, so their man page is the same
# on every build); version.txt hands the version to tools/make-dist.
string(TIMESTAMP DFT_MAN_DATE "%Y-%m-%d" UTC)
configure_file(${CMAKE_SOURCE_DIR}/doc/dftanalyze.1.in ${CMAKE_BINARY_DIR}/dftanalyze.1 @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/version.txt "${PROJECT_VERSION}\n")

install(TARGETS dftanalyze RUNTIME DESTINATION bin)
if(NOT WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/dftanalyze.1 DESTINATION share/man/man1)
endif()
install(FILES README.md README.ja.md DESTINATION share/doc/dftanalyze)
# README.md shows examples/result.png: it goes beside the data so that the link holds.
install(FILES examples/data.csv examples/result.png DESTINATION share/doc/dftanalyze/examples)
