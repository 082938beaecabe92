#include "server/server_metrics.h"

#include <cstdio>

namespace server {

namespace {

constexpr std::string_view kCommandNames[] = {"register", "login", "leave_dungeon", "enchant", "draw"};
constexpr std::string_view kResultNames[] = {"ok", "refused", "busy"};
constexpr std::string_view kOperationNames[] = {"find_account",        "create_account", "list_roles",
                                                "raise_enchant_level", "record_draw",    "ping"};

// Refusals of connections, by the reason shown as their label.
struct ConnectionRefusal {
    Refusal refusal;
    std::string_view reason;
};
constexpr ConnectionRefusal kConnectionRefusals[] = {
    {Refusal::ConnectionOverTotal, "over_total_limit"},
    {Refusal::ConnectionOverAddress, "over_address_limit"},
    {Refusal::AcceptFailed, "accept_failed"},
};

// Requests refused before they were read to the end, by reason.
constexpr ConnectionRefusal kRequestRefusals[] = {
    {Refusal::LoginOverRate, "login_over_rate"},
    {Refusal::RegistrationOverRate, "registration_over_rate"},
    {Refusal::HashingQueueFull, "hashing_queue_full"},
};

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void Head(std::string& page, std::string_view name, std::string_view type, std::string_view help) {
    page += "# HELP ";
    page += name;
    page += ' ';
    page += help;
    page += "\n# TYPE ";
    page += name;
    page += ' ';
    page += type;
    page += '\n';
}

void Sample(std::string& page, std::string_view name, std::string_view labels, uint64_t value) {
    page += name;
    if (!labels.empty()) {
        page += '{';
        page += labels;
        page += '}';
    }
    page += ' ';
    page += std::to_string(value);
    page += '\n';
}

}  // namespace

void LatencyHistogram::Observe(double seconds) {
    ++count_;
    sum_ += seconds;
    for (size_t i = 0; i < kBounds.size(); ++i) {
        if (seconds <= kBounds[i]) {
            ++buckets_[i];
            return;
        }
    }
}

void LatencyHistogram::Render(std::string& page, std::string_view name, std::string_view help) const {
    Head(page, name, "histogram", help);
    std::string bucket = std::string(name) + "_bucket";
    uint64_t cumulative = 0;
    for (size_t i = 0; i < kBounds.size(); ++i) {
        cumulative += buckets_[i];
        Sample(page, bucket, "le=\"" + Number(kBounds[i]) + "\"", cumulative);
    }
    Sample(page, bucket, "le=\"+Inf\"", count_);
    page += std::string(name) + "_sum " + Number(sum_) + "\n";
    Sample(page, std::string(name) + "_count", "", count_);
}

void ServerMetrics::CountRequest(Command command, RequestResult result) {
    ++requests_[static_cast<size_t>(command)][static_cast<size_t>(result)];
}

void ServerMetrics::CountDrawGranted(int prize) {
    ++drawsGranted_;
    diamondsCredited_ += static_cast<uint64_t>(prize);
}

std::string ServerMetrics::Render(const MetricsSources& sources) const {
    std::string page;
    Head(page, "lumadrel_connections_open", "gauge", "Game and HTTP connections held now.");
    Sample(page, "lumadrel_connections_open", "", sources.connectionsOpen);

    Head(page, "lumadrel_connections_refused_total", "counter", "Connections closed at once, by reason.");
    for (const ConnectionRefusal& entry : kConnectionRefusals) {
        uint64_t count = sources.refusals ? sources.refusals->Total(entry.refusal) : 0;
        Sample(page, "lumadrel_connections_refused_total", "reason=\"" + std::string(entry.reason) + "\"", count);
    }

    Head(page, "lumadrel_requests_total", "counter", "Game requests answered, by command and result.");
    for (size_t command = 0; command < kCommands; ++command) {
        for (size_t result = 0; result < kResults; ++result) {
            Sample(page, "lumadrel_requests_total",
                   "command=\"" + std::string(kCommandNames[command]) + "\",result=\"" +
                       std::string(kResultNames[result]) + "\"",
                   requests_[command][result]);
        }
    }
    Head(page, "lumadrel_requests_turned_away_total", "counter",
         "Logins and registrations answered busy at once, by reason.");
    for (const ConnectionRefusal& entry : kRequestRefusals) {
        uint64_t count = sources.refusals ? sources.refusals->Total(entry.refusal) : 0;
        Sample(page, "lumadrel_requests_turned_away_total", "reason=\"" + std::string(entry.reason) + "\"", count);
    }

    loginLatency_.Render(page, "lumadrel_login_seconds", "Time from a login request to its answer.");
    registrationLatency_.Render(page, "lumadrel_registration_seconds",
                                "Time from a registration request to its answer.");

    Head(page, "lumadrel_hashing_queue_depth", "gauge", "Logins and registrations waiting for a hashing thread.");
    Sample(page, "lumadrel_hashing_queue_depth", "", sources.hashingWaiting);

    Head(page, "lumadrel_store_errors_total", "counter", "Store operations that failed, by operation.");
    for (size_t operation = 0; operation < kOperations; ++operation) {
        Sample(page, "lumadrel_store_errors_total", "operation=\"" + std::string(kOperationNames[operation]) + "\"",
               storeErrors_[operation]);
    }

    Head(page, "lumadrel_http_bytes_sent_total", "counter", "Bytes sent on the HTTP port, heads and bodies.");
    Sample(page, "lumadrel_http_bytes_sent_total", "", httpBytes_);
    Head(page, "lumadrel_draws_granted_total", "counter", "Lucky draws recorded.");
    Sample(page, "lumadrel_draws_granted_total", "", drawsGranted_);
    Head(page, "lumadrel_diamonds_credited_total", "counter", "Diamonds credited by lucky draws.");
    Sample(page, "lumadrel_diamonds_credited_total", "", diamondsCredited_);
    return page;
}

}  // namespace server
