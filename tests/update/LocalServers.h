#pragma once

// Local HTTP and HTTPS servers for the update tests, with certificates made at test
// time by the openssl command: one authority and a server certificate it signed, and a
// self-signed certificate nobody vouches for.
#include <httplib.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace vivori::testing {

struct Certificates {
    std::filesystem::path folder;
    std::filesystem::path caCert, serverCert, serverKey, selfCert, selfKey;

    static const Certificates& Get() {
        static const Certificates made = Make();
        return made;
    }

  private:
    static Certificates Make() {
        char pattern[] = "/tmp/vivori-certs-XXXXXX";
        Certificates c;
        c.folder = mkdtemp(pattern);
        c.caCert = c.folder / "ca.pem";
        c.serverCert = c.folder / "server.pem";
        c.serverKey = c.folder / "server.key";
        c.selfCert = c.folder / "self.pem";
        c.selfKey = c.folder / "self.key";
        const std::string f = c.folder.string();
        const std::string script =
            "cd " + f +
            " && "
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 "
            "-subj /CN=vivori-test-ca >/dev/null 2>&1 && "
            "openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr "
            "-subj /CN=localhost >/dev/null 2>&1 && "
            "printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\\n' > ext.cnf && "
            "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
            "-out server.pem -days 2 -extfile ext.cnf >/dev/null 2>&1 && "
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout self.key -out self.pem -days 2 "
            "-subj /CN=localhost -addext subjectAltName=DNS:localhost,IP:127.0.0.1 "
            ">/dev/null 2>&1";
        if (std::system(script.c_str()) != 0) c.folder.clear();
        return c;
    }
};

// A server on 127.0.0.1 at a free port, listening on its own thread while it lives.
class LocalServer {
  public:
    using Routes = std::function<void(httplib::Server&)>;
    LocalServer(std::unique_ptr<httplib::Server> server, const Routes& routes)
        : server_(std::move(server)) {
        routes(*server_);
        port_ = server_->bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // Bound already, so connections queue until the thread accepts them.
        while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    static std::unique_ptr<LocalServer> Http(const Routes& routes) {
        return std::make_unique<LocalServer>(std::make_unique<httplib::Server>(), routes);
    }
    static std::unique_ptr<LocalServer> Https(const std::filesystem::path& cert,
                                              const std::filesystem::path& key,
                                              const Routes& routes) {
        return std::make_unique<LocalServer>(
            std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str()), routes);
    }
    ~LocalServer() {
        server_->stop();
        if (thread_.joinable()) thread_.join();
    }
    httplib::Server& Server() { return *server_; }
    std::string Url(const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(port_) + "/api/";
    }
    int Port() const { return port_; }

  private:
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace vivori::testing
