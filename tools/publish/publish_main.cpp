// lumadrel-publish: publishes a game folder as a version for the updater.
//
//   lumadrel-publish --version 1.0.1 --from GAME_FOLDER --www WWW_FOLDER
//                    [--document vorlenk2/update.xml] [--exclude PATTERN]...
//                    [--sign-key FILE] [--expires-days N] [--no-chunk-index]
//   lumadrel-publish --resign --www WWW_FOLDER --sign-key FILE [--document PATH] [--expires-days N]
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "tools/publish/publication.h"
#include "common/utc_time.h"

namespace {

void Usage(const char* program) {
    std::cerr << "Usage: " << program << " --version TEXT --from GAME_FOLDER --www WWW_FOLDER\n"
                 "                [--document PATH] [--exclude PATTERN]... [--sign-key FILE] [--expires-days N]\n"
                 "                [--no-chunk-index]\n"
                 "       " << program << " --resign --www WWW_FOLDER --sign-key FILE [--document PATH]"
                 " [--expires-days N]\n"
                 "Copies every file of GAME_FOLDER to WWW_FOLDER/<document folder>/files/<version>/ and writes\n"
                 "the update document (default vorlenk2/update.xml) listing each with its size and SHA-256.\n"
                 "update.ini, duzo.ini, tovrin.update and tovrin.sequence are never published; --exclude skips\n"
                 "more (a pattern for a path, a name or a top-level folder, e.g. '*.log'). Beside each file of\n"
                 "256 KiB or more it writes its chunk index (<file>.chunks), from which players' updaters fetch\n"
                 "only the changed parts; --no-chunk-index leaves them out.\n"
                 "--sign-key signs the document with a minisign secret key file (<document>.minisig); a key\n"
                 "with a password reads it from LUMADREL_UPDATE_KEY_PASSWORD. The document expires after\n"
                 "--expires-days (default 30, counted from SOURCE_DATE_EPOCH when it is set) and carries the\n"
                 "next sequence number. --resign signs the published document again with a new expiry and\n"
                 "sequence, touching no published file.\n";
}

}  // namespace

int main(int argc, char** argv) {
    publish::PublishRequest request;
    bool resign = false;
    std::string keyFile;
    for (int i = 1; i < argc; ++i) {
        std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            Usage(argv[0]);
            return 0;
        }
        if (flag == "--resign") {
            resign = true;
            continue;
        }
        if (flag == "--no-chunk-index") {
            request.chunkIndexes = false;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << argv[0] << ": " << flag << " needs a value\n";
            return 2;
        }
        std::string value = argv[++i];
        if (flag == "--version") request.version = value;
        else if (flag == "--from") request.gameFolder = value;
        else if (flag == "--www") request.wwwFolder = value;
        else if (flag == "--document") request.documentPath = value;
        else if (flag == "--exclude") request.excluded.push_back(value);
        else if (flag == "--sign-key") keyFile = value;
        else if (flag == "--expires-days") {
            auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), request.expiresDays);
            if (failure != std::errc() || end != value.data() + value.size()) {
                std::cerr << argv[0] << ": --expires-days takes a number of days, not " << value << "\n";
                return 2;
            }
        } else {
            std::cerr << argv[0] << ": unknown flag " << flag << "\n";
            Usage(argv[0]);
            return 2;
        }
    }
    if (request.wwwFolder.empty() || (resign ? keyFile.empty() : request.version.empty() || request.gameFolder.empty())) {
        Usage(argv[0]);
        return 2;
    }
    // A reproducible build fixes the clock: the same inputs give the same document and signature.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        std::string_view text = epoch;
        std::from_chars(text.data(), text.data() + text.size(), request.now);
    }
    if (!keyFile.empty()) {
        auto key = publish::LoadSigningKey(keyFile);
        if (!key) {
            std::cerr << argv[0] << ": " << key.error().message << "\n";
            return 1;
        }
        request.signingKey = *key;
    }
    auto published = resign ? publish::Resign(request) : publish::Publish(request);
    if (!published) {
        std::cerr << argv[0] << ": " << published.error().message << "\n";
        return 1;
    }
    const publish::PublishSummary& summary = *published;
    if (resign) std::cout << "re-signed " << summary.document;
    else std::cout << "published " << request.version << ": " << summary.files << " files, " << summary.bytes
                   << " bytes, " << summary.indexes << " chunk indexes (" << summary.indexBytes << " bytes), "
                   << summary.document;
    std::cout << ", sequence " << summary.sequence << ", expires " << common::FormatUtcTime(summary.expires) << "\n";
    if (summary.isSigned) {
        std::cout << "signed: " << summary.document << ".minisig (key "
                  << updater::KeyIdText(request.signingKey->id) << ")\n";
    } else {
        std::cerr << "warning: the document is NOT signed (no --sign-key): players' updaters refuse it unless the"
                     " brand sets allow_unsigned_updates = true\n";
    }
    return 0;
}
