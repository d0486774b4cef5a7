#pragma once
// The fourteen tags of a game, in the order a game file lists them, each
// with the CGame member that holds it. Readers, writers, snapshots and
// front ends walk this table rather than naming the tags themselves.
#include <array>
#include <string>
#include <string_view>

#include "game/game.h"

struct CGameTag {
  const char* Name;
  std::string CGame::*Member;
};

inline constexpr std::array<CGameTag, 14> kGameTags = {{
    {"Game", &CGame::Game},
    {"Event", &CGame::Event},
    {"Round", &CGame::Round},
    {"Date", &CGame::Date},
    {"Site", &CGame::Site},
    {"RedTeam", &CGame::RedTeam},
    {"Red", &CGame::Red},
    {"BlackTeam", &CGame::BlackTeam},
    {"Black", &CGame::Black},
    {"Result", &CGame::Result},
    {"ECCO", &CGame::ECCO},
    {"Opening", &CGame::Opening},
    {"Variation", &CGame::Variation},
    {"FEN", &CGame::FEN},
}};

// The tag called exactly `name`, or nullptr.
inline const CGameTag* FindGameTag(std::string_view name) {
  for (const CGameTag& tag : kGameTags)
    if (name == tag.Name) return &tag;
  return nullptr;
}
