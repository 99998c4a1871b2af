#include "eval/params.h"

#include <algorithm>
#include <map>
#include <memory>

#include "board/board.h"

namespace param {
int32_t KingSafetyPercent = 100;
int32_t PawnShelterPercent = 100;
int32_t MobilityPercent = 100;
int32_t KingShieldMP = 480;
int32_t PawnShelterFront1MP = 104;
int32_t PawnShelterFront2MP = 59;
int32_t PawnStormMP = 50;
int32_t BishopPairMP = 500;
int32_t ImbalanceMP = 550;
int32_t PawnAttackWeightMP = 7;
int32_t KnightAttackWeightMP = 7;
int32_t BishopAttackWeightMP = 8;
int32_t RookAttackWeightMP = 12;
int32_t QueenAttackWeightMP = 10;
int32_t RookOn7thOpeningMP = 146;
int32_t RookOn7thEndgameMP = 100;
int32_t RookBehindPasserOpeningMP = 35;
int32_t RookBehindPasserEndgameMP = 75;
int32_t RookOnOpenOpeningMP = 250;
int32_t RookOnOpenEndgameMP = 45;
int32_t RookOnSemiOpenOpeningMP = 15;
int32_t RookOnSemiOpenEndgameMP = 25;
int32_t PasserOpeningBaseMP = 50;
int32_t PasserOpeningScaleMP = 0;
int32_t PasserEndgameBaseMP = 100;
int32_t PasserEndgameScaleMP = 45;
int32_t DoubledPawnOpeningMP = 78;
int32_t DoubledPawnEndgameMP = 150;
int32_t IsolatedPawnOpeningMP = 37;
int32_t IsolatedPawnEndgameMP = 76;
int32_t BackwardPawnOpeningMP = 20;
int32_t BackwardPawnEndgameMP = 25;
int32_t LazyEvalMarginCP = 200;
}  // namespace param

namespace {

struct Registry {
  std::map<std::string, std::unique_ptr<Param>> byName;
  std::vector<Param*> inOrder;
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

void registerParam(const char* name, int32_t& variable, int32_t min, int32_t max) {
  Registry& r = registry();
  if (r.byName.count(name)) return;
  auto p = std::make_unique<Param>(Param{name, &variable, variable, min, max});
  r.inOrder.push_back(p.get());
  r.byName.emplace(name, std::move(p));
}

void registerEvalParams() {
  using namespace param;
  constexpr int32_t Wide = 10000;
  registerParam("PawnValueCP", pieceValueTable[Pawn], 0, 2000);
  registerParam("KnightValueCP", pieceValueTable[Knight], 0, 2000);
  registerParam("BishopValueCP", pieceValueTable[Bishop], 0, 2000);
  registerParam("RookValueCP", pieceValueTable[Rook], 0, 2000);
  registerParam("QueenValueCP", pieceValueTable[Queen], 0, 2000);
  registerParam("KingSafetyPercent", KingSafetyPercent, 0, 1000);
  registerParam("PawnShelterPercent", PawnShelterPercent, 0, 1000);
  registerParam("MobilityPercent", MobilityPercent, 0, 1000);
  registerParam("KingShieldMP", KingShieldMP, 0, Wide);
  registerParam("PawnShelterFront1MP", PawnShelterFront1MP, 0, Wide);
  registerParam("PawnShelterFront2MP", PawnShelterFront2MP, 0, Wide);
  registerParam("PawnStormMP", PawnStormMP, 0, Wide);
  registerParam("BishopPairMP", BishopPairMP, 0, Wide);
  registerParam("ImbalanceMP", ImbalanceMP, 0, Wide);
  registerParam("PawnAttackWeightMP", PawnAttackWeightMP, 0, Wide);
  registerParam("KnightAttackWeightMP", KnightAttackWeightMP, 0, Wide);
  registerParam("BishopAttackWeightMP", BishopAttackWeightMP, 0, Wide);
  registerParam("RookAttackWeightMP", RookAttackWeightMP, 0, Wide);
  registerParam("QueenAttackWeightMP", QueenAttackWeightMP, 0, Wide);
  registerParam("RookOn7thOpeningMP", RookOn7thOpeningMP, 0, Wide);
  registerParam("RookOn7thEndgameMP", RookOn7thEndgameMP, 0, Wide);
  registerParam("RookBehindPasserOpeningMP", RookBehindPasserOpeningMP, 0, Wide);
  registerParam("RookBehindPasserEndgameMP", RookBehindPasserEndgameMP, 0, Wide);
  registerParam("RookOnOpenOpeningMP", RookOnOpenOpeningMP, 0, Wide);
  registerParam("RookOnOpenEndgameMP", RookOnOpenEndgameMP, 0, Wide);
  registerParam("RookOnSemiOpenOpeningMP", RookOnSemiOpenOpeningMP, 0, Wide);
  registerParam("RookOnSemiOpenEndgameMP", RookOnSemiOpenEndgameMP, 0, Wide);
  registerParam("PasserOpeningBaseMP", PasserOpeningBaseMP, 0, Wide);
  registerParam("PasserOpeningScaleMP", PasserOpeningScaleMP, 0, Wide);
  registerParam("PasserEndgameBaseMP", PasserEndgameBaseMP, 0, Wide);
  registerParam("PasserEndgameScaleMP", PasserEndgameScaleMP, 0, Wide);
  registerParam("DoubledPawnOpeningMP", DoubledPawnOpeningMP, 0, Wide);
  registerParam("DoubledPawnEndgameMP", DoubledPawnEndgameMP, 0, Wide);
  registerParam("IsolatedPawnOpeningMP", IsolatedPawnOpeningMP, 0, Wide);
  registerParam("IsolatedPawnEndgameMP", IsolatedPawnEndgameMP, 0, Wide);
  registerParam("BackwardPawnOpeningMP", BackwardPawnOpeningMP, 0, Wide);
  registerParam("BackwardPawnEndgameMP", BackwardPawnEndgameMP, 0, Wide);
  registerParam("LazyEvalMarginCP", LazyEvalMarginCP, 0, Wide);
}

Param* findParam(const std::string& name) {
  auto it = registry().byName.find(name);
  return it == registry().byName.end() ? nullptr : it->second.get();
}

int32_t setParam(Param& p, int64_t value) {
  const int32_t previous = *p.value;
  *p.value = int32_t(std::clamp<int64_t>(value, p.min, p.max));
  return previous;
}

int32_t getParam(const Param& p) { return *p.value; }

void resetParam(Param& p) { setParam(p, p.defaultValue); }

void resetAllParams() {
  for (Param* p : registry().inOrder) resetParam(*p);
}

const std::vector<Param*>& allParams() { return registry().inOrder; }
