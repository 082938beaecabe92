// Ids of the launcher's subroutines, the location a runtime error names
// together with the statement number of the failing call.
#pragma once

#include <cstdint>

namespace launcher::subroutine {

constexpr uint32_t kProgramStart = 0x04010001;
constexpr uint32_t kCountProcessesByName = 0x04010010;
constexpr uint32_t kFindProcessIdByName = 0x04010011;
constexpr uint32_t kTerminateProcessById = 0x04010012;
constexpr uint32_t kRunProgram = 0x04010013;
constexpr uint32_t kAddTrayIcon = 0x04010020;
constexpr uint32_t kTrayWindowProc = 0x04010021;
constexpr uint32_t kShowTrayBalloon = 0x04010022;
constexpr uint32_t kRemoveTrayIcon = 0x04010023;
constexpr uint32_t kStartGame = 0x04010030;
constexpr uint32_t kReplyDispatcher = 0x04010040;
constexpr uint32_t kLuckyDraw = 0x04010050;

}  // namespace launcher::subroutine
