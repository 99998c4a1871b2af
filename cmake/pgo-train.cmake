# The training runs of a profile-guided build: the bench, and perft through the move picker from
# the start position and from a position full of castling, en passant and promotions. Called as
#   cmake -DENGINE=<instrumented engine> -DEMULATOR=<emulator or empty> -DPROFILE=<dir> -P pgo-train.cmake
get_filename_component(work ${PROFILE} DIRECTORY)
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
set(input ${work}/training.in)
file(WRITE ${input}
  "position startpos\nperft 5\n"
  "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\nperft 4\n"
  "position fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8\nperft 4\nquit\n")
execute_process(COMMAND ${EMULATOR} ${ENGINE} bench WORKING_DIRECTORY ${work} RESULT_VARIABLE bench OUTPUT_QUIET)
execute_process(COMMAND ${EMULATOR} ${ENGINE} INPUT_FILE ${input} WORKING_DIRECTORY ${work} RESULT_VARIABLE perft
                OUTPUT_QUIET)
file(GLOB_RECURSE counts ${PROFILE}/*.gcda)
if(NOT bench EQUAL 0 OR NOT perft EQUAL 0 OR NOT counts)
  message(FATAL_ERROR "the profiling runs failed (bench: ${bench}, perft: ${perft})")
endif()
