#include "tools/publish/publication.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <openssl/evp.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <map>

#include "common/ascii.h"
#include "common/hex.h"
#include "common/text/gbk_converter.h"
#include "common/update_document_writer.h"
#include "common/update_ini.h"
#include "update_format/chunk_index.h"
#include "update_format/entry_paths.h"
#include "update_format/file_urls.h"
#include "update_format/update_document.h"
#include "update_format/update_signature.h"

namespace publish {

const std::vector<std::string> kAlwaysExcluded = {std::string(common::kUpdateIniFileName), "duzo.ini", std::string(updater::kWorkFolderName),
                                                  std::string(updater::kSequenceFileName)};

namespace {

namespace fs = std::filesystem;

struct Source {
    std::string relative;  // UTF-8, "/" between names
    fs::path path;
    uint64_t size = 0;
};

// A chunk index lies beside its file: no published file may have its name,
// also on a web host that ignores the case of names.
common::Result<void> CheckIndexNames(const std::vector<Source>& sources) {
    auto key = [](std::string name) {
        for (char& c : name) c = common::ToLowerAscii(c);
        return name;
    };
    std::map<std::string, std::string> names;
    for (const Source& source : sources) names.emplace(key(source.relative), source.relative);
    for (const Source& source : sources) {
        if (source.size < updater::kSmallestIndexedFile) continue;
        auto taken = names.find(key(source.relative + std::string(updater::kIndexSuffix)));
        if (taken != names.end()) {
            return common::Error{taken->second + ": the name of the chunk index of " + source.relative +
                     " (rename the file, or publish with --no-chunk-index)"};
        }
    }
    return {};
}

bool Excluded(const std::string& relative, const std::vector<std::string>& patterns) {
    std::string name = relative.substr(relative.find_last_of('/') + 1);
    std::string first = relative.substr(0, relative.find('/'));
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
        return fnmatch(pattern.c_str(), relative.c_str(), 0) == 0 || fnmatch(pattern.c_str(), name.c_str(), 0) == 0 ||
               fnmatch(pattern.c_str(), first.c_str(), 0) == 0;
    });
}

common::Result<std::vector<Source>> CollectSources(const PublishRequest& request) {
    std::vector<Source> sources;
    std::vector<std::string> patterns = kAlwaysExcluded;
    patterns.insert(patterns.end(), request.excluded.begin(), request.excluded.end());
    std::error_code code;
    fs::path root = request.gameFolder;
    if (!fs::is_directory(root, code)) {
        return common::Error{request.gameFolder + " is not a folder"};
    }
    for (auto it = fs::recursive_directory_iterator(root, code); !code && it != fs::recursive_directory_iterator();
         it.increment(code)) {
        std::string relative = fs::relative(it->path(), root, code).generic_string();
        if (Excluded(relative, patterns)) {
            if (it->is_directory(code)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(code)) sources.push_back({relative, it->path(), it->file_size(code)});
    }
    if (code) {
        return common::Error{"cannot read " + request.gameFolder + ": " + code.message()};
    }
    std::sort(sources.begin(), sources.end(),
              [](const Source& a, const Source& b) { return a.relative < b.relative; });
    return sources;
}

// Hidden, so that the server never hands it out.
fs::path HiddenTemporary(const fs::path& target) {
    return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(getpid()) + ".tmp");
}

// Copies a file to `target` (through a hidden temporary name), hashing it on
// the way and, when `index` is given, cutting it into the chunks of its index.
common::Result<void> CopyAndHash(const fs::path& from, const fs::path& target, uint64_t* size, std::string* sha256,
                                 updater::ChunkIndexBuilder* index) {
    std::error_code code;
    fs::create_directories(target.parent_path(), code);
    fs::path temporary = HiddenTemporary(target);
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    int out = in < 0 ? -1 : open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    bool ok = in >= 0 && out >= 0 && context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
    *size = 0;
    auto copy = [&](unsigned char* into, size_t room, size_t* count) {
        ssize_t read = ::read(in, into, room);
        ok = read >= 0 && EVP_DigestUpdate(context.get(), into, static_cast<size_t>(read)) == 1 &&
             ::write(out, into, static_cast<size_t>(read)) == read;
        *count = ok ? static_cast<size_t>(read) : 0;
        *size += *count;
        return ok;
    };
    if (ok && index) {
        updater::CutStream(updater::kPublishedChunking, copy, [&](const unsigned char* data, size_t length) {
            index->Add(data, length);
            return true;
        });
    } else if (ok) {
        std::vector<unsigned char> buffer(1 << 20);
        for (size_t count = 1; ok && count > 0;) copy(buffer.data(), buffer.size(), &count);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned digestLength = 0;
    ok = ok && EVP_DigestFinal_ex(context.get(), digest, &digestLength) == 1 && fsync(out) == 0;
    if (in >= 0) close(in);
    if (out >= 0 && close(out) != 0) ok = false;
    if (ok) fs::rename(temporary, target, code);
    if (!ok || code) {
        fs::remove(temporary, code);
        return common::Error{"cannot copy " + from.string() + " to " + target.string()};
    }
    *sha256 = common::HexEncode(std::span<const uint8_t>(digest, digestLength));
    return {};
}

common::Result<void> WriteWhole(const fs::path& target, const std::string& bytes) {
    std::error_code code;
    fs::create_directories(target.parent_path(), code);
    fs::path temporary = HiddenTemporary(target);
    int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = out >= 0 && ::write(out, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
              fsync(out) == 0;
    if (out >= 0 && close(out) != 0) ok = false;
    if (ok) fs::rename(temporary, target, code);
    if (!ok || code) {
        fs::remove(temporary, code);
        return common::Error{"cannot write " + target.string()};
    }
    return {};
}


std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

fs::path SignaturePath(const fs::path& document) { return document.string() + ".minisig"; }

// The highest sequence number the published document carries (0 without one).
uint64_t PublishedSequence(const fs::path& documentPath) {
    common::UpdateDocument published;
    std::string bytes = ReadWhole(documentPath);
    if (updater::ParseUpdateDocument(bytes, &published).status == updater::DocumentStatus::Ok)
        return published.sequence;
    return 0;
}

common::Result<void> CheckRequest(const PublishRequest& request) {
    if (request.expiresDays < 1 || request.expiresDays > kMostExpiresDays) {
        return common::Error{"--expires-days must be between 1 and " + std::to_string(kMostExpiresDays)};
    }
    return {};
}

// Raises the sequence, sets the expiry, and writes the document and then its
// signature (or removes a signature left from before, which no longer fits).
common::Result<void> WriteDocument(const PublishRequest& request, const fs::path& documentPath,
                                   common::UpdateDocument* document, PublishSummary* summary) {
    const int64_t now = request.now ? request.now : static_cast<int64_t>(std::time(nullptr));
    document->sequence = PublishedSequence(documentPath) + 1;
    document->expires = now + int64_t(request.expiresDays) * 86400;
    std::string xml = common::WriteUpdateDocument(*document);
    // What the updater would make of it: a document it refuses is never published.
    common::UpdateDocument check;
    updater::DocumentProblem problem = updater::ParseUpdateDocument(xml, &check);
    if (problem.status != updater::DocumentStatus::Ok) {
        std::string reason;
        common::GbkConverter().ToUtf8(updater::DescribeDocumentProblem(problem), reason);
        return common::Error{"the updater would refuse this document: " + reason};
    }
    std::string signature;
    if (request.signingKey) {
        std::string comment = "timestamp:" + std::to_string(now) + "\tfile:" + documentPath.filename().string() +
                              "\thashed";
        signature = SignDocument(xml, *request.signingKey, comment);
        if (updater::VerifySignature(xml, signature, {request.signingKey->Public()}).status !=
            updater::SignatureStatus::Ok) {
            return common::Error{"the signature made does not verify"};
        }
    }
    if (auto done = WriteWhole(documentPath, xml); !done) return done.error();
    std::error_code code;
    if (request.signingKey) {
        if (auto done = WriteWhole(SignaturePath(documentPath), signature); !done) return done.error();
    } else if (fs::remove(SignaturePath(documentPath), code); code) {
        return common::Error{"cannot remove the old signature " + SignaturePath(documentPath).string()};
    }
    summary->document = documentPath.string();
    summary->sequence = document->sequence;
    summary->expires = document->expires;
    summary->isSigned = request.signingKey.has_value();
    return {};
}

}  // namespace

common::Result<PublishSummary> Publish(const PublishRequest& request) {
    PublishSummary summary;
    if (auto done = CheckRequest(request); !done) return done.error();
    common::GbkConverter converter;
    common::UpdateDocument document;
    if (!converter.ToGbk(request.version, document.version) ||
        updater::CheckEntryPath(document.version) != updater::PathProblem::None ||
        document.version.find_first_of("\\/") != std::string::npos || request.version.starts_with(".")) {
        return common::Error{"the version \"" + request.version + "\" cannot name a folder of the published files"};
    }
    auto collected = CollectSources(request);
    if (!collected) return collected.error();
    const std::vector<Source>& sources = *collected;

    const fs::path documentPath = fs::path(request.wwwFolder) / request.documentPath;
    const std::string filesFolder = "files/" + request.version + "/";
    document.base = updater::FileUrl("files/", request.version) + "/";
    if (request.chunkIndexes) {
        if (auto names = CheckIndexNames(sources); !names) return names.error();
    }
    for (const Source& source : sources) {
        common::ListedFile file;
        if (!converter.ToGbk(source.relative, file.path)) {
            return common::Error{source.relative + ": the name cannot be written in GBK"};
        }
        file.path = updater::NormalisedEntryPath(file.path);
        if (updater::CheckEntryPath(file.path) != updater::PathProblem::None) {
            return common::Error{source.relative + ": the updater refuses this name on Windows"};
        }
        const fs::path target = documentPath.parent_path() / filesFolder / source.relative;
        updater::ChunkIndexBuilder index;
        const bool indexed = request.chunkIndexes && source.size >= updater::kSmallestIndexedFile;
        auto copied = CopyAndHash(source.path, target, &file.size, &file.sha256, indexed ? &index : nullptr);
        if (!copied) return copied.error();
        if (indexed && index.Index().Count() <= updater::kMostChunks) {
            const std::string bytes = updater::WriteChunkIndex(index.Index());
            auto written = WriteWhole(target.string() + std::string(updater::kIndexSuffix), bytes);
            if (!written) return written.error();
            file.chunksSize = bytes.size();
            file.chunksSha256 = updater::Sha256Hex(bytes);
            ++summary.indexes;
            summary.indexBytes += bytes.size();
        }
        summary.bytes += file.size;
        document.files.push_back(std::move(file));
    }

    if (auto done = WriteDocument(request, documentPath, &document, &summary); !done) return done.error();
    summary.files = document.files.size();
    return summary;
}

common::Result<PublishSummary> Resign(const PublishRequest& request) {
    PublishSummary summary;
    if (auto done = CheckRequest(request); !done) return done.error();
    if (!request.signingKey) {
        return common::Error{"re-signing needs a signing key"};
    }
    const fs::path documentPath = fs::path(request.wwwFolder) / request.documentPath;
    common::UpdateDocument document;
    updater::DocumentProblem problem = updater::ParseUpdateDocument(ReadWhole(documentPath), &document);
    if (problem.status != updater::DocumentStatus::Ok) {
        std::string reason;
        common::GbkConverter().ToUtf8(updater::DescribeDocumentProblem(problem), reason);
        return common::Error{"cannot re-sign " + documentPath.string() + ": " + reason};
    }
    if (auto done = WriteDocument(request, documentPath, &document, &summary); !done) return done.error();
    summary.files = document.files.size();
    return summary;
}

}  // namespace publish
