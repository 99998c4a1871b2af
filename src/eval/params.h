// The evaluation's named parameters: each a live variable the terms read at every use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Evaluation weights; piece values live in pieceValueTable (board/board.h).
namespace param {
extern int32_t KingSafetyPercent;
extern int32_t PawnShelterPercent;
extern int32_t MobilityPercent;
extern int32_t KingShieldMP;
extern int32_t PawnShelterFront1MP;
extern int32_t PawnShelterFront2MP;
extern int32_t PawnStormMP;
extern int32_t BishopPairMP;
extern int32_t ImbalanceMP;
extern int32_t PawnAttackWeightMP;  // registered and saved, read by no term
extern int32_t KnightAttackWeightMP;
extern int32_t BishopAttackWeightMP;
extern int32_t RookAttackWeightMP;
extern int32_t QueenAttackWeightMP;
extern int32_t RookOn7thOpeningMP;
extern int32_t RookOn7thEndgameMP;
extern int32_t RookBehindPasserOpeningMP;
extern int32_t RookBehindPasserEndgameMP;
extern int32_t RookOnOpenOpeningMP;
extern int32_t RookOnOpenEndgameMP;
extern int32_t RookOnSemiOpenOpeningMP;
extern int32_t RookOnSemiOpenEndgameMP;
extern int32_t PasserOpeningBaseMP;
extern int32_t PasserOpeningScaleMP;
extern int32_t PasserEndgameBaseMP;
extern int32_t PasserEndgameScaleMP;
extern int32_t DoubledPawnOpeningMP;
extern int32_t DoubledPawnEndgameMP;
extern int32_t IsolatedPawnOpeningMP;
extern int32_t IsolatedPawnEndgameMP;
extern int32_t BackwardPawnOpeningMP;
extern int32_t BackwardPawnEndgameMP;
extern int32_t LazyEvalMarginCP;
}  // namespace param

struct Param {
  std::string name;
  int32_t* value;  // the live variable; not owned
  int32_t defaultValue;
  int32_t min;
  int32_t max;
};

// Adds a parameter whose default is the variable's current value; a known name is ignored.
void registerParam(const char* name, int32_t& variable, int32_t min, int32_t max);
// The evaluation's parameters in their saved order (piece values first).
void registerEvalParams();

Param* findParam(const std::string& name);
int32_t setParam(Param& p, int64_t value);  // clamps into the range; returns the previous value
int32_t getParam(const Param& p);
void resetParam(Param& p);
void resetAllParams();
// Every parameter in registration order.
const std::vector<Param*>& allParams();
