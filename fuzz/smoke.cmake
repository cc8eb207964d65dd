# A short fuzz run of one target for ctest: fuzzes for SECONDS over a copy of
# the seed corpus (the repository's corpus is never written) and fails on any
# crash, leak, time-out or broken invariant, keeping the input that caused it.
# Arguments: FUZZER, CORPUS, DICT (may be empty), WORK, SECONDS.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
if(IS_DIRECTORY ${CORPUS})
  file(COPY ${CORPUS}/ DESTINATION ${WORK}/corpus)
endif()

set(args -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix=${WORK}/artifacts/)
if(DICT)
  list(APPEND args -dict=${DICT})
endif()
execute_process(COMMAND ${FUZZER} ${args} ${WORK}/corpus RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB kept ${WORK}/artifacts/*)
  message(FATAL_ERROR "${FUZZER} failed (${result}); input kept: ${kept}")
endif()
file(REMOVE_RECURSE ${WORK})
