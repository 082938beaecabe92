#include "updater/document_trust.h"

#include <charconv>

#include "common/utc_time.h"
#include "updater/version_order.h"

namespace updater {
namespace {

constexpr std::string_view kFirstLine = "tovrin-sequence 1";
constexpr size_t kMostKeys = 1000;

bool IsKeyIdText(std::string_view text) {
    if (text.size() != 16) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

}  // namespace

std::string SerializeSequenceRecord(const SequenceRecord& record) {
    std::string text = std::string(kFirstLine) + "\n";
    for (const auto& [key, sequence] : record) text += key + " " + std::to_string(sequence) + "\n";
    return text;
}

std::optional<SequenceRecord> ParseSequenceRecord(std::string_view text) {
    if (text.size() > kLargestSequenceFile || !text.starts_with(std::string(kFirstLine) + "\n")) return std::nullopt;
    text.remove_prefix(kFirstLine.size() + 1);
    SequenceRecord record;
    while (!text.empty()) {
        size_t newline = text.find('\n');
        if (newline == std::string_view::npos || record.size() >= kMostKeys) return std::nullopt;
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline + 1);
        size_t blank = line.find(' ');
        if (blank == std::string_view::npos || !IsKeyIdText(line.substr(0, blank))) return std::nullopt;
        std::string_view number = line.substr(blank + 1);
        uint64_t sequence = 0;
        if (number.empty() || number[0] < '0' || number[0] > '9' || (number.size() > 1 && number[0] == '0'))
            return std::nullopt;
        auto [end, failure] = std::from_chars(number.data(), number.data() + number.size(), sequence);
        if (failure != std::errc() || end != number.data() + number.size()) return std::nullopt;
        if (!record.emplace(std::string(line.substr(0, blank)), sequence).second) return std::nullopt;
    }
    return record;
}

TrustCheck CheckTrust(const UpdateDocument& document, const std::string& keyId, const SequenceRecord& record,
                      const std::optional<std::string>& installedVersion, int64_t now) {
    TrustCheck check;
    auto seen = record.find(keyId);
    if (seen != record.end()) check.highestSeen = seen->second;
    if (now > document.expires && now - document.expires > kClockTolerance) {
        check.verdict = TrustVerdict::Expired;
    } else if (seen != record.end() && document.sequence < seen->second) {
        check.verdict = TrustVerdict::Replayed;
    } else if (installedVersion && !installedVersion->empty() &&
               CompareVersions(document.version, *installedVersion) < 0) {
        check.verdict = TrustVerdict::OlderVersion;
    }
    return check;
}

std::string DescribeTrustCheck(const TrustCheck& check, const UpdateDocument& document,
                               const std::optional<std::string>& installedVersion) {
    switch (check.verdict) {
    case TrustVerdict::Trusted: return std::string();
    case TrustVerdict::Expired:
        return "更新列表已于 " + common::FormatUtcTime(document.expires).substr(0, 10) +
               " 过期（可能是旧的列表被重新发出，或本机时间不对），已拒绝更新";
    case TrustVerdict::Replayed:
        return "更新列表比之前验证过的更旧（序号 " + std::to_string(document.sequence) + "，之前已见到 " +
               std::to_string(check.highestSeen) + "），可能是旧的列表被重新发出，已拒绝更新";
    case TrustVerdict::OlderVersion:
        return "更新列表的版本 " + document.version + " 比已安装的版本 " + installedVersion.value_or("") +
               " 旧，已拒绝更新";
    }
    return std::string();
}

std::string DescribeSignatureProblem(SignatureStatus status, const KeyId& keyId) {
    switch (status) {
    case SignatureStatus::Ok: return std::string();
    case SignatureStatus::Malformed: return "更新列表的签名文件无法识别，已拒绝更新";
    case SignatureStatus::UnknownAlgorithm: return "更新列表的签名算法无法识别，已拒绝更新";
    case SignatureStatus::UnknownKey:
        return "更新列表的签名来自未知的密钥（" + KeyIdText(keyId) + "），已拒绝更新";
    case SignatureStatus::BadSignature: return "更新列表的签名不正确（内容可能被篡改），已拒绝更新";
    }
    return std::string();
}

}  // namespace updater
