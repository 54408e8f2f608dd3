#include "sim/sim_server.h"

#include "sim/builtin_routes.h"
#include "sim/http_wire.h"
#include "web/endpoints_config.h"

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <list>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace dropship::sim {
namespace {

constexpr const char* kSessionCookie = "cookie2";

std::string randomToken() {
    static std::mutex mutex;
    static std::mt19937_64 engine{std::random_device{}()};
    std::lock_guard lock(mutex);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 32; ++i)
        token += kHex[engine() % 16];
    return token;
}

} // namespace

struct SimServer::Impl {
    explicit Impl(std::string domain) : cookieDomain(std::move(domain)) {}

    struct Route {
        Handler handler;
        bool requiresLogin = true;
    };
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    std::string cookieDomain;
    int listenFd = -1;
    std::uint16_t port = 0;
    std::thread acceptThread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex; // everything below
    std::condition_variable stopSignal;
    std::map<std::pair<std::string, std::string>, Route> routes;
    std::vector<Request> requests;
    std::map<std::string, std::string> sessions; // token -> account (GBK)
    std::vector<std::pair<std::string, std::string>> accounts;
    std::list<Connection> connections;

    void acceptLoop(SimServer& owner) {
        while (!stopping) {
            const int fd = ::accept(listenFd, nullptr, nullptr);
            if (fd < 0) {
                if (stopping || (errno != EINTR && errno != ECONNABORTED))
                    return;
                continue;
            }
            std::lock_guard lock(mutex);
            reapConnections();
            Connection& connection = connections.emplace_back();
            connection.fd = fd;
            connection.thread = std::thread([this, &owner, &connection] {
                serve(owner, connection.fd);
                ::shutdown(connection.fd,
                           SHUT_RDWR); // the peer sees the end now; the fd is closed when reaped
                connection.done = true;
            });
        }
    }

    void reapConnections() {
        for (auto it = connections.begin(); it != connections.end();) {
            if (it->done) {
                it->thread.join();
                ::close(it->fd);
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
    }

    void serve(SimServer& owner, int fd) {
        std::optional<Request> request = readRequest(fd);
        if (!request)
            return;
        {
            std::lock_guard lock(mutex);
            requests.push_back(*request);
        }
        Response response = dispatch(owner, *request);
        if (response.delay.count() > 0) {
            std::unique_lock lock(mutex);
            stopSignal.wait_for(lock, response.delay, [this] { return stopping.load(); });
            if (stopping)
                return;
        }
        writeResponse(fd, response);
    }

    Response dispatch(SimServer& owner, const Request& request) {
        Route route;
        {
            std::lock_guard lock(mutex);
            auto it = routes.find({request.method, request.path});
            if (it == routes.end())
                it = routes.find({"*", request.path});
            if (it == routes.end())
                return htmlPage("<html><body>404</body></html>", 404);
            route = it->second;
        }
        if (route.requiresLogin && !owner.loggedIn(request))
            return loginPage(request.target, {});
        try {
            return route.handler(request);
        } catch (const std::exception&) {
            return htmlPage("<html><body>500</body></html>", 500);
        }
    }
};

SimServer::SimServer(std::string cookieDomain) : impl_(std::make_unique<Impl>(std::move(cookieDomain))) {
    addBuiltinRoutes(*this);
}

SimServer::~SimServer() {
    stop();
}

bool SimServer::start(std::uint16_t port) {
    if (impl_->listenFd >= 0)
        return false;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return false;
    }
    impl_->listenFd = fd;
    impl_->port = ntohs(address.sin_port);
    impl_->stopping = false;
    impl_->acceptThread = std::thread([this] { impl_->acceptLoop(*this); });
    return true;
}

void SimServer::stop() {
    if (impl_->listenFd < 0)
        return;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
        impl_->stopSignal.notify_all();
    }
    ::shutdown(impl_->listenFd, SHUT_RDWR);
    impl_->acceptThread.join();
    ::close(impl_->listenFd);
    impl_->listenFd = -1;
    // Joined without the lock: a connection thread may still need it to finish its answer.
    std::list<Impl::Connection> connections;
    {
        std::lock_guard lock(impl_->mutex);
        connections.swap(impl_->connections);
    }
    for (Impl::Connection& connection : connections)
        ::shutdown(connection.fd, SHUT_RDWR);
    for (Impl::Connection& connection : connections) {
        connection.thread.join();
        ::close(connection.fd);
    }
}

std::uint16_t SimServer::port() const {
    return impl_->port;
}

const std::string& SimServer::cookieDomain() const {
    return impl_->cookieDomain;
}

std::string SimServer::origin(std::string_view hostLabel) const {
    return "http://" + std::string(hostLabel) + "." + impl_->cookieDomain + ":" + std::to_string(impl_->port);
}

void SimServer::route(std::string method, std::string path, Handler handler, bool requiresLogin) {
    std::lock_guard lock(impl_->mutex);
    impl_->routes[{std::move(method), std::move(path)}] = Impl::Route{std::move(handler), requiresLogin};
}

std::vector<Request> SimServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void SimServer::clearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

void SimServer::addAccount(std::string user, std::string password) {
    std::lock_guard lock(impl_->mutex);
    impl_->accounts.emplace_back(std::move(user), std::move(password));
}

bool SimServer::acceptsLogin(std::string_view user, std::string_view password) const {
    if (user.empty() || password.empty())
        return false;
    std::lock_guard lock(impl_->mutex);
    if (impl_->accounts.empty())
        return true;
    for (const auto& [knownUser, knownPassword] : impl_->accounts)
        if (knownUser == user && knownPassword == password)
            return true;
    return false;
}

std::string SimServer::createSession(std::string gbkAccount) {
    std::string token = randomToken();
    std::lock_guard lock(impl_->mutex);
    impl_->sessions[token] = std::move(gbkAccount);
    return token;
}

void SimServer::endSession(const Request& request) {
    std::lock_guard lock(impl_->mutex);
    impl_->sessions.erase(request.cookie(kSessionCookie));
}

bool SimServer::loggedIn(const Request& request) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->sessions.contains(request.cookie(kSessionCookie));
}

std::string SimServer::accountOf(const Request& request) const {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->sessions.find(request.cookie(kSessionCookie));
    return it == impl_->sessions.end() ? std::string() : it->second;
}

Endpoints SimServer::endpoints() const {
    return simulatorEndpoints("http", impl_->cookieDomain, impl_->port);
}

namespace {
std::vector<RouteSet>& routeSets() {
    static std::vector<RouteSet> sets;
    return sets;
}
} // namespace

bool registerRouteSet(RouteSet routeSet) {
    routeSets().push_back(routeSet);
    return true;
}

void installRegisteredRouteSets(SimServer& server) {
    for (RouteSet routeSet : routeSets())
        routeSet(server);
}

} // namespace dropship::sim
