#pragma once
// Scores a position for the search, from the side to move's point of view,
// with the piece-value model or the network model. Both resolve king
// captures and checks first: a side in check at a leaf has its evasions
// searched a few plies deep (ply indexes 124..127).
#include <cstdint>

#include "ann/packed_ann.h"
#include "ann/tdbp_ann_list.h"
#include "rules/move_generator.h"
#include "rules/position.h"

constexpr int EVAL_MODEL_DEFAULT = 0;
constexpr int EVAL_MODEL_ANN = 1;

// The network's inputs: the 90 playing squares row by row, then the side to move.
constexpr int ANN_INPUT_COUNT = 91;
// Network output o in 0..1 becomes (2o - 1) x ANN_SCORE_SCALE, from red's side.
constexpr int ANN_SCORE_SCALE = 134217728;
// Ply indexes above this one run the evasion search for a side in check.
constexpr int EVASION_PLY_LIMIT = 123;

// Attack record of one piece, rebuilt at every piece-value evaluation.
struct CAttackRecord {
  int32_t Mobility = 0;
  int32_t AttackerCount = 0;
  int32_t DefenderCount = 0;
  int32_t Attackers[16] {};
  int32_t Defenders[16] {};
};

class CEvaluator {
 public:
  CEvaluator();  // EvalModel 1; no files touched (see InitDefaultAnnList)
  CEvaluator(const CEvaluator&) = delete;
  CEvaluator& operator=(const CEvaluator&) = delete;

  int EvalModel = EVAL_MODEL_ANN;  // 1 network, anything else piece values

  // Dispatches on EvalModel. ply is the move-list slot (the search passes 127).
  // MATE_SCORE / -MATE_SCORE for king captures and mates; the network model
  // gives NO_SCORE when it has no usable network (none for the category, or
  // one whose input count is not ANN_INPUT_COUNT).
  int EvaluatePosition(CPosition& position, int redToMove, int ply);
  int EvaluateDefault(CPosition& position, int redToMove, int ply);
  int EvaluateAnn(CPosition& position, int redToMove, int ply);

  int EncodeInputs(const CPosition& position, int redToMove, float* inputs) const;
  int GetCategory(const CPosition&) const { return 0; }
  // Loads the networks from directory/name%03d extension. A missing file, or
  // one that is damaged or of other sizes, is replaced by a fresh network
  // saved in its place; an existing file is kept aside first and never
  // overwritten. 0 when a fresh network could not be made or saved.
  int InitAnnList(int count, int count0, int count11, int count12, const char* name,
                  const char* extension, const char* directory);
  // The start-up call: one 91-31-11 network, ann/eval000.ann.
  int InitDefaultAnnList();

  // For the length of a search the network model reads a packed copy of the
  // weights (CPackedAnn), taken at the first evaluation after the search
  // starts and again whenever the network's WeightVersion moves on; weights
  // written in place take effect at the next search. Outside a search every
  // evaluation reads the weights themselves.
  class CSearchScope {
   public:
    explicit CSearchScope(CEvaluator& evaluator) : Evaluator(evaluator) {
      Evaluator.Packed.Forget();
      Evaluator.UsePacked = true;
    }
    ~CSearchScope() { Evaluator.UsePacked = false; }
    CSearchScope(const CSearchScope&) = delete;
    CSearchScope& operator=(const CSearchScope&) = delete;

   private:
    CEvaluator& Evaluator;
  };

  CTdbpAnnList AnnList;
  // The attack records of the last BuildAttackRecords call (the evaluation
  // itself keeps them in the compact tallies below).
  CAttackRecord Attacks[48];
  // Control of both sides in the last evaluation or BuildAttackRecords call.
  int32_t Control[2] {};

  // Exchange estimate of a target kind under attack (kinds sorted inside).
  static int ExchangeEstimate(int targetKind, const int* attackers, int attackerCount,
                              const int* defenders, int defenderCount, int shiftK, int shiftJ);

  // The derived tables, seen from red's side (black entries negative).
  static int PieceSquareValue(int id, int square);
  static int MobilityBonus(int id, int mobility);
  static int ExchangeValue(int kind);

  // Fills Attacks and Control for the position; each list comes in
  // ascending kind order, the order the exchange estimate reads it in.
  void BuildAttackRecords(const CPosition& position);

 private:
  // King captures and checks, shared by both models; the static score of the
  // chosen model is taken only when neither settles the position.
  template <int Model, bool KingCaptureTested = false>
  int ScoreWithChecks(CPosition& position, int redToMove, int ply);
  // The piece-value model's walk over every piece's destinations: fills
  // Tally, PieceMobility and Control and returns the placement and mobility
  // terms summed from red's side.
  int WalkPieces(const CPosition& position);
  template <int Side>
  int WalkSide(const CPosition& position);
  bool IsTalliedAttacked(int id) const { return (Tally[id] & TALLY_ATTACKER_BITS) != 0; }
  int StaticDefault(int redToMove, int inCheck, int redSide);
  // The exchange estimate of a tallied piece, remembered by its tally.
  int ExchangeOfTally(uint64_t tally, int kind, bool own);
  int StaticAnn(const CPosition& position, int redToMove);

  CMoveGenerator Generator;
  // By identity, from the last walk: how many attackers (bits 0..27) and
  // defenders (bits 32..59) of each kind 1..7 reach the piece, four bits a
  // kind, lowest kind lowest. Holds as many as any square can see (at most
  // three of a kind, fourteen in all). Order does not matter: the exchange
  // estimate sorts its lists by kind.
  static constexpr uint64_t TALLY_ATTACKER_BITS = 0x0FFFFFFFu;
  uint64_t Tally[48] {};
  int32_t PieceMobility[48] {};
  // Exchange estimates by tally, target kind and side; a tally of the same
  // lists always gives the same estimate, and few tallies occur.
  struct CExchangeSlot {
    uint64_t Key = 0;  // 0: empty (a remembered tally always has an attacker)
    int32_t Value = 0;
  };
  static constexpr int EXCHANGE_SLOT_BITS = 10;
  CExchangeSlot ExchangeSlots[1 << EXCHANGE_SLOT_BITS] {};
  // The non-zero inputs of the position being scored, in input order.
  int32_t ActiveIndex[ANN_INPUT_COUNT] {};
  float ActiveValue[ANN_INPUT_COUNT] {};
  // The network's weights as the fast forward pass reads them (see CSearchScope).
  CPackedAnn Packed;
  bool UsePacked = false;
};
