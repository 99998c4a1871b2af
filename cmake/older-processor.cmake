# Runs the engine on an emulated processor older than the build's level and holds what it does:
#   cmake -DQEMU=<qemu-x86_64> -DENGINE=<engine> -DEXPECT=refusal|play -P older-processor.cmake
# A build above the processor's level prints one line naming the build to use and exits with 1;
# the portable build plays (a short bench).
execute_process(COMMAND ${QEMU} -cpu core2duo ${ENGINE} bench 5 RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(EXPECT STREQUAL "refusal")
  string(REGEX MATCHALL "\n" lines "${out}")
  list(LENGTH lines count)
  if(NOT status EQUAL 1 OR NOT count EQUAL 1 OR NOT out MATCHES "^velmar .* was built for a processor with [a-z0-9.]+, which this one lacks: use the portable build, velmar-.*-x86-64\n$")
    message(FATAL_ERROR "expected one line and exit status 1, got status ${status}:\n${out}${err}")
  endif()
elseif(NOT status EQUAL 0 OR NOT out MATCHES "bench depth 5: [0-9]+ nodes")
  message(FATAL_ERROR "the portable build did not play on the older processor (status ${status}):\n${out}${err}")
endif()
