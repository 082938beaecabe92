// What a game-server reply asks the launcher to do, decided by keywords in a
// fixed order: a login error ends the tests; a login success acts and the
// tests go on; after that the first keyword found selects one action.
#pragma once

#include <string>

namespace launcher {

enum class ReplyAction { kNone, kLeftDungeon, kRegistered, kAccountExists, kEnchanted, kDrawResult, kDrawsUsedUp };

struct ReplyPlan {
    bool loginError = false;    // nothing else happens
    bool loginSuccess = false;  // before the action
    ReplyAction action = ReplyAction::kNone;
};

ReplyPlan ClassifyReply(const char* reply);

// The lines of a draw result; only the three-line shape carries a prize and
// the draws left.
struct DrawResult {
    bool valid = false;
    std::string prize;
    std::string drawsLeft;
};
DrawResult ReadDrawResult(const char* reply);

// Line 2 of a login success: the role names joined by "/" (a new text array,
// empty when the reply has no second line).
void* RoleNamesOf(const char* reply);

}  // namespace launcher
