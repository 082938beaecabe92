// The reasons the updater gives the player, in plain Chinese (GBK): network,
// hash, disk full, access denied, with the file concerned.
#pragma once

#include <string>

#include "updater/http_transfer_win32.h"
#include "updater/installer_win32.h"

namespace updater {

// A Windows error as the player understands it ("磁盘空间不足", "拒绝访问…").
std::string SystemProblem(unsigned long error);
std::string FileProblem(const std::string& file, unsigned long error);
std::string DocumentTransferProblem(const TransferResult& result);
std::string FileTransferProblem(const std::string& file, const TransferResult& result);
std::string InstallProblem(const InstallFailure& failure);

}  // namespace updater
