#include "services/http_download.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/late_function_win32.h"
#include "services/command_arguments.h"

namespace services {
namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kVerb[] = "GET";
constexpr char kVersion[] = "HTTP/1.0";
constexpr char kAcceptType[] = "Accept: */* \r\n";
constexpr char kExtraHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kDefaultChunk = 10240;
constexpr DWORD kLargestChunk = 102400;

struct InternetSession {
    HINTERNET sessionHandle = nullptr;
    // Nothing sets these; an empty proxy means the system's configuration.
    std::string proxy;
    std::string proxyUserName;
    std::string proxyPassword;
};

// wininet.dll is loaded at the first download, not with the program.
#define LUMADREL_WININET(name) decltype(&::name) name = rt::LateFunction<decltype(&::name)>(L"wininet.dll", #name)
struct Wininet {
    LUMADREL_WININET(InternetOpenA);
    LUMADREL_WININET(InternetConnectA);
    LUMADREL_WININET(InternetCrackUrlA);
    LUMADREL_WININET(InternetSetOptionA);
    LUMADREL_WININET(InternetReadFile);
    LUMADREL_WININET(InternetCloseHandle);
    LUMADREL_WININET(HttpOpenRequestA);
    LUMADREL_WININET(HttpSendRequestA);
    LUMADREL_WININET(HttpQueryInfoA);

    bool Complete() const {
        return InternetOpenA && InternetConnectA && InternetCrackUrlA && InternetSetOptionA && InternetReadFile &&
               InternetCloseHandle && HttpOpenRequestA && HttpSendRequestA && HttpQueryInfoA;
    }
};
#undef LUMADREL_WININET

// Null when wininet.dll or one of its functions is missing: then nothing downloads.
const Wininet* Net() {
    static const Wininet functions;
    return functions.Complete() ? &functions : nullptr;
}

InternetSession g_session;
HttpTimeouts g_timeouts = kDefaultHttpTimeouts;
HttpReadObserver g_observer = nullptr;

void ApplyTimeouts(HINTERNET handle) {
    DWORD connect = g_timeouts.connectMilliseconds;
    DWORD send = g_timeouts.sendMilliseconds;
    DWORD receive = g_timeouts.receiveMilliseconds;
    Net()->InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    Net()->InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    Net()->InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

bool OpenSession() {
    if (g_session.sessionHandle) return true;
    const bool viaProxy = !g_session.proxy.empty();
    g_session.sessionHandle =
        Net()->InternetOpenA(kUserAgent, viaProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_PRECONFIG,
                             viaProxy ? g_session.proxy.c_str() : nullptr, nullptr, 0);
    if (g_session.sessionHandle) ApplyTimeouts(g_session.sessionHandle);
    return g_session.sessionHandle != nullptr;
}

void ApplyProxySettings(HINTERNET connection) {
    INTERNET_PROXY_INFO proxy{};
    if (!g_session.proxy.empty()) {
        proxy.dwAccessType = INTERNET_OPEN_TYPE_PROXY;
        proxy.lpszProxy = g_session.proxy.c_str();
    }
    const Wininet* net = Net();
    net->InternetSetOptionA(g_session.sessionHandle, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
    net->InternetSetOptionA(connection, INTERNET_OPTION_PROXY_USERNAME,
                            const_cast<char*>(g_session.proxyUserName.c_str()),
                            static_cast<DWORD>(g_session.proxyUserName.size() + 1));
    net->InternetSetOptionA(connection, INTERNET_OPTION_PROXY_PASSWORD,
                            const_cast<char*>(g_session.proxyPassword.c_str()),
                            static_cast<DWORD>(g_session.proxyPassword.size() + 1));
}

// The Content-Length the server announced, or -1 when it gave none that is usable.
long long AnnouncedLength(HINTERNET request) {
    char text[32] = {};
    DWORD size = sizeof text - 1;
    if (!Net()->HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    long long length = std::strtoll(text, nullptr, 10);
    return length > 0 ? length : -1;
}

// Content length + 1, at most the largest chunk; the default when absent.
DWORD ReadChunkSize(long long announced) {
    if (announced <= 0) return kDefaultChunk;
    return static_cast<DWORD>(std::min<long long>(announced + 1, kLargestChunk));
}

// False when the body is larger than a download may be; it is not read on then.
bool ReadBody(HINTERNET request, std::string* body) {
    const long long announced = AnnouncedLength(request);
    if (announced > static_cast<long long>(kLargestHttpBody)) return false;
    const DWORD chunkSize = ReadChunkSize(announced);
    std::vector<char> chunk(chunkSize);
    for (;;) {
        DWORD received = 0;
        BOOL ok = Net()->InternetReadFile(request, chunk.data(), chunkSize, &received);
        if (g_observer) g_observer(chunkSize, ok ? received : 0);
        if (!ok || received == 0) return true;
        if (body->size() + received > kLargestHttpBody) return false;
        body->append(chunk.data(), received);
    }
}

struct UrlParts {
    char hostName[257] = {};
    char urlPath[2049] = {};
    char userName[129] = {};
    char password[129] = {};
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackUrl(const std::string& url, UrlParts* parts) {
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof components;
    components.lpszHostName = parts->hostName;
    components.dwHostNameLength = sizeof parts->hostName;
    components.lpszUrlPath = parts->urlPath;
    components.dwUrlPathLength = sizeof parts->urlPath;
    components.lpszUserName = parts->userName;
    components.dwUserNameLength = sizeof parts->userName;
    components.lpszPassword = parts->password;
    components.dwPasswordLength = sizeof parts->password;
    if (!Net()->InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), ICU_NO_ENCODE, &components))
        return false;
    if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
    parts->port = components.nPort;
    parts->secure = components.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

std::string CutAtFragment(std::string text) {
    size_t hash = text.find('#');
    if (hash != std::string::npos) text.resize(hash);
    return text;
}

struct RequestHandles {
    HINTERNET request;
    HINTERNET connection;
};

DWORD WINAPI CloseHandles(void* parameter) {
    auto* handles = static_cast<RequestHandles*>(parameter);
    Net()->InternetCloseHandle(handles->request);
    Net()->InternetCloseHandle(handles->connection);
    delete handles;
    return 0;
}

// Closes the handles on a thread of their own; false when none could be started.
bool CloseAside(HINTERNET request, HINTERNET connection) {
    auto* handles = new RequestHandles{request, connection};
    HANDLE thread = CreateThread(nullptr, 0, CloseHandles, handles, 0, nullptr);
    if (!thread) {
        delete handles;
        return false;
    }
    CloseHandle(thread);
    return true;
}

std::string Download(std::string_view url) {
    std::string body;
    if (url.empty() || !Net()) return body;
    UrlParts parts;
    if (!CrackUrl(CutAtFragment(std::string(url)), &parts)) return body;
    if (!OpenSession()) return body;

    HINTERNET connection = Net()->InternetConnectA(g_session.sessionHandle, parts.hostName, parts.port,
                                                   parts.userName, parts.password, INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) return body;
    ApplyTimeouts(connection);
    ApplyProxySettings(connection);

    const std::string path = CutAtFragment(parts.urlPath);
    const char* acceptTypes[] = {kAcceptType, nullptr};
    const DWORD flags = kRequestFlags | (parts.secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request =
        Net()->HttpOpenRequestA(connection, kVerb, path.c_str(), kVersion, nullptr, acceptTypes, flags, 0);
    bool refused = false;
    if (request) {
        // A session's time-outs are not always inherited by its requests.
        ApplyTimeouts(request);
        if (Net()->HttpSendRequestA(request, kExtraHeaders, sizeof kExtraHeaders - 1, nullptr, 0) &&
            !ReadBody(request, &body)) {
            body = std::string();
            refused = true;
        }
    }
    // Closing a request reads the rest of an announced body first, which a
    // hostile length stretches for minutes: a refusal does not wait for it.
    if (refused && CloseAside(request, connection)) return body;
    if (request) Net()->InternetCloseHandle(request);
    Net()->InternetCloseHandle(connection);
    return body;
}

}  // namespace

void HttpReadFile(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::string body = Download(arguments::TextOf(arguments::Given(argumentCount, arguments, 0)));
    arguments::SetByteSet(result, body);
}

void SetHttpTimeouts(const HttpTimeouts& timeouts) { g_timeouts = timeouts; }

void* CurrentHttpSession() { return g_session.sessionHandle; }

void CloseHttpSession() {
    if (g_session.sessionHandle && Net()) Net()->InternetCloseHandle(g_session.sessionHandle);
    g_session.sessionHandle = nullptr;
}

void SetHttpReadObserver(HttpReadObserver observer) { g_observer = observer; }

}  // namespace services
