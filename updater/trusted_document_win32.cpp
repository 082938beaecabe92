#include "updater/trusted_document_win32.h"

#include <windows.h>

#include "updater/document_trust.h"
#include "updater/installer_win32.h"
#include "updater/update_messages_win32.h"

namespace updater {
namespace {

int64_t SystemNow() {
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    uint64_t ticks = (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000) - 11644473600;  // from 1601 to 1970
}

FetchedDocument Refused(std::string message) {
    FetchedDocument fetched;
    fetched.message = std::move(message);
    return fetched;
}

// The record of sequence numbers; a missing or damaged one counts as empty
// (whoever can damage it can delete it, so refusing would protect nothing).
SequenceRecord ReadSequenceRecord(const GameFolder& folder) {
    std::string text;
    if (!ReadSmallFile(folder.SequenceFile(), &text, kLargestSequenceFile)) return {};
    return ParseSequenceRecord(text).value_or(SequenceRecord());
}

}  // namespace

std::vector<PublicKey> PinnedKeys(const char* base64Lines) {
    std::vector<PublicKey> keys;
    std::string_view text = base64Lines;
    while (!text.empty()) {
        size_t blank = text.find(' ');
        if (std::optional<PublicKey> key = ParsePublicKey(text.substr(0, blank))) keys.push_back(*key);
        text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
    }
    return keys;
}

FetchedDocument FetchTrustedDocument(HttpTransfer& http, const std::string& documentUrl, const GameFolder& folder,
                                     const TrustSettings& trust) {
    std::string bytes;
    TransferResult fetched = http.Fetch(documentUrl, kLargestDocument, &bytes);
    if (fetched.error != TransferError::None) return Refused(DocumentTransferProblem(fetched));

    Verification verified;
    if (!trust.allowUnsigned) {
        std::string signature;
        size_t query = documentUrl.find_first_of("?#");
        std::string signatureUrl = documentUrl.substr(0, query) + ".minisig";
        if (query != std::string::npos) signatureUrl += documentUrl.substr(query);
        TransferResult signatureFetched = http.Fetch(signatureUrl, kLargestSignatureFile, &signature);
        if (signatureFetched.error == TransferError::HttpStatus && signatureFetched.httpStatus == 404)
            return Refused("更新列表没有签名（服务器上没有 .minisig 文件），已拒绝更新");
        if (signatureFetched.error == TransferError::TooLarge)
            return Refused(DescribeSignatureProblem(SignatureStatus::Malformed, KeyId()));
        if (signatureFetched.error != TransferError::None)
            return Refused("无法获取更新列表的签名：" + DocumentTransferProblem(signatureFetched));
        verified = VerifySignature(bytes, signature, trust.keys);
        if (verified.status != SignatureStatus::Ok) return Refused(DescribeSignatureProblem(verified.status, verified.keyId));
    }

    FetchedDocument result;
    DocumentProblem problem = ParseUpdateDocument(bytes, &result.document);
    if (problem.status != DocumentStatus::Ok) return Refused(DescribeDocumentProblem(problem));
    const std::string keyId = trust.allowUnsigned ? std::string("unsigned") : KeyIdText(verified.keyId);
    SequenceRecord record = ReadSequenceRecord(folder);
    std::optional<std::string> installed = ReadInstalledVersion(folder);
    TrustCheck check = CheckTrust(result.document, keyId, record, installed, trust.now ? trust.now() : SystemNow());
    if (check.verdict != TrustVerdict::Trusted) return Refused(DescribeTrustCheck(check, result.document, installed));
    if (!trust.allowUnsigned && result.document.sequence > check.highestSeen) {
        record[keyId] = result.document.sequence;
        if (DWORD error = ReplaceFileWhole(folder.SequenceFile(), SerializeSequenceRecord(record)); error != 0)
            return Refused("无法在游戏文件夹中记录更新列表的序号：" + SystemProblem(error));
    }
    result.ok = true;
    return result;
}

}  // namespace updater
