#include "updater/update_messages_win32.h"

#include <windows.h>

namespace updater {
namespace {

std::string NetworkProblem(const TransferResult& result) {
    std::string code = result.systemError ? "（网络错误 " + std::to_string(result.systemError) + "）" : std::string();
    switch (result.error) {
    case TransferError::NoConnection: return "无法连接更新服务器" + code;
    case TransferError::NoAnswer: return "更新服务器没有响应" + code;
    case TransferError::Untrusted: return "更新服务器的证书不可信" + code;
    case TransferError::BadAnswer: return "更新服务器的回答无法识别" + code;
    case TransferError::HttpStatus: return "更新服务器拒绝了请求（HTTP " + std::to_string(result.httpStatus) + "）";
    case TransferError::TooFewBytes: return "网络中断，收到的数据不完整" + code;
    default: return "网络错误" + code;
    }
}

}  // namespace

std::string SystemProblem(unsigned long error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "磁盘空间不足";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "拒绝访问（文件正被其他程序使用，或没有写入权限）";
    case ERROR_WRITE_PROTECT: return "磁盘有写保护";
    default: return "系统错误 " + std::to_string(error);
    }
}

std::string FileProblem(const std::string& file, unsigned long error) {
    return (file.empty() ? std::string() : file + "：") + SystemProblem(error);
}

std::string DocumentTransferProblem(const TransferResult& result) {
    switch (result.error) {
    case TransferError::BadUrl: return "更新地址不可用";
    case TransferError::TooLarge: return "更新列表过大，已拒绝更新";
    default: return "无法获取更新列表：" + NetworkProblem(result);
    }
}

std::string FileTransferProblem(const std::string& file, const TransferResult& result) {
    std::string prefix = "下载 " + file + " 失败：";
    switch (result.error) {
    case TransferError::WrongLength: return prefix + "服务器上的文件与更新列表不符（大小不同）";
    case TransferError::TooManyBytes: return prefix + "服务器发来的数据多于更新列表写明的大小";
    case TransferError::DiskWrite: return prefix + SystemProblem(result.systemError);
    case TransferError::BadUrl: return prefix + "下载地址不可用";
    default: return prefix + NetworkProblem(result) + "，已下载的部分会在重试时继续";
    }
}

std::string InstallProblem(const InstallFailure& failure) {
    std::string problem = "安装失败：" + FileProblem(failure.file, failure.systemError);
    if (failure.recovery == RecoveryKind::RolledBack) problem += "，游戏已恢复为更新前的文件";
    return problem;
}

}  // namespace updater
