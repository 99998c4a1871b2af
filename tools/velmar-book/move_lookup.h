// Finding the legal move that a move token of the input names, on the reference board the
// engine keys its book with.
#pragma once

#include <string_view>

#include "board/refgen.h"

enum class Lookup { Found, Unreadable, Illegal, Ambiguous, NullMove };

// Standard algebraic notation. The piece, the target square, the promotion and whatever
// disambiguation the writer gave must fit exactly one legal move, so both the minimal SAN and
// over-specified forms ("Ng1f3", "e2-e4") are read. Check marks and annotation suffixes are
// ignored, "0-0" reads as "O-O", and the capture mark and the "=" of a promotion may be left out.
Lookup findSanMove(const OldBoard& ob, const RefMove* legal, int count, std::string_view san, RefMove& out);

// UCI coordinates, "e2e4" or "e7e8q"; a promotion needs its letter, as in the engine's own
// "position" command.
Lookup findUciMove(const RefMove* legal, int count, std::string_view uci, RefMove& out);

const char* lookupProblem(Lookup result);
