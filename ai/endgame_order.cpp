// The ordering evaluation and its shallow search for every processor; endgame_order.inc holds
// them.
#include "ai/endgame_order.h"

#include <algorithm>
#include <bit>

#include "ai/endgame_bitboard.h"
#include "game/board_bits.h"

namespace endgame {

#define ZANTOBEL_SEARCH_TARGET
#include "ai/endgame_order.inc"
#undef ZANTOBEL_SEARCH_TARGET

}  // namespace endgame
