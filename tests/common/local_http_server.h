// A tiny HTTP/1.0 server on 127.0.0.1 for the update check's tests: serves
// fixed files per path, optionally over TLS with a throw-away self-signed
// certificate for 127.0.0.1 that only the test trusts (caFile()).
#pragma once

#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace orvex::test {

struct HttpReply {
    int status = 200;
    std::string body;
    // Announce the whole body but close after this many bytes (0: send all).
    std::size_t cutAfter = 0;
    // Plain HTTP only: send the body one byte per interval (0: at once), until
    // the client gives up or the server stops.
    std::chrono::milliseconds byteInterval{0};
};

class LocalHttpServer {
public:
    // caFolder: where the certificate goes when tls is on.
    explicit LocalHttpServer(bool tls = false, const std::string &caFolder = "/tmp") {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        port_ = ntohs(addr.sin_port);
        if (tls) makeTls(caFolder);
        stop_ = ::eventfd(0, EFD_CLOEXEC);
        thread_ = std::thread([this] { serve(); });
    }
    ~LocalHttpServer() {
        const uint64_t one = 1;
        (void)!::write(stop_, &one, sizeof one);
        thread_.join();
        ::close(stop_);
        ::close(listener_);
        if (ctx_) SSL_CTX_free(ctx_);
        if (!caFile_.empty()) std::remove(caFile_.c_str());
    }

    void set(const std::string &path, HttpReply reply) {
        std::lock_guard lock(mutex_);
        replies_[path] = std::move(reply);
    }

    std::string baseUrl() const {
        return std::string(ctx_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
    }
    const std::string &caFile() const { return caFile_; }
    int requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void makeTls(const std::string &folder) {
        EVP_PKEY *key = EVP_EC_gen("P-256");
        X509 *cert = X509_new();
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME *name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char *>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX v3;
        X509V3_set_ctx_nodb(&v3);
        X509V3_set_ctx(&v3, cert, cert, nullptr, nullptr, 0);
        for (auto [nid, value] : {std::pair{NID_basic_constraints, "critical,CA:TRUE"},
                                  std::pair{NID_key_usage, "critical,digitalSignature,keyCertSign"},
                                  std::pair{NID_subject_alt_name, "IP:127.0.0.1"}}) {
            X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &v3, nid, value);
            X509_add_ext(cert, ext, -1);
            X509_EXTENSION_free(ext);
        }
        X509_sign(cert, key, EVP_sha256());
        caFile_ =
            folder + "/update-test-ca-" + std::to_string(::getpid()) + "-" + std::to_string(port_) + ".pem";
        FILE *out = std::fopen(caFile_.c_str(), "w");
        PEM_write_X509(out, cert);
        std::fclose(out);
        ctx_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(ctx_, cert);
        SSL_CTX_use_PrivateKey(ctx_, key);
        X509_free(cert);
        EVP_PKEY_free(key);
    }

    void serve() {
        for (;;) {
            pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) handle(fd);
        }
    }

    void handle(int fd) {
        SSL *ssl = nullptr;
        if (ctx_) {
            ssl = SSL_new(ctx_);
            SSL_set_fd(ssl, fd);
            if (SSL_accept(ssl) != 1) {  // e.g. a client that does not trust us
                SSL_free(ssl);
                ::close(fd);
                return;
            }
        }
        auto readSome = [&](char *buffer, int size) {
            return ssl ? SSL_read(ssl, buffer, size) : static_cast<int>(::read(fd, buffer, size));
        };
        auto writeAll = [&](const char *data, std::size_t size) {
            while (size > 0) {
                const int n = ssl ? SSL_write(ssl, data, static_cast<int>(size))
                                  : static_cast<int>(::send(fd, data, size, MSG_NOSIGNAL));
                if (n <= 0) return false;
                data += n;
                size -= static_cast<std::size_t>(n);
            }
            return true;
        };
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = readSome(buffer, sizeof buffer);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        const auto start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        HttpReply reply{404, "not found", 0};
        {
            std::lock_guard lock(mutex_);
            ++requests_;
            if (auto it = replies_.find(path); it != replies_.end()) reply = it->second;
        }
        const std::string head = "HTTP/1.0 " + std::to_string(reply.status) +
                                 " X\r\nContent-Length: " + std::to_string(reply.body.size()) +
                                 "\r\nConnection: close\r\n\r\n";
        writeAll(head.data(), head.size());
        const std::size_t send = reply.cutAfter ? reply.cutAfter : reply.body.size();
        if (reply.byteInterval.count() > 0 && !ssl) {
            pollfd stop{stop_, POLLIN, 0};
            for (std::size_t i = 0; i < send; ++i) {
                if (::poll(&stop, 1, static_cast<int>(reply.byteInterval.count())) != 0) break;
                if (!writeAll(reply.body.data() + i, 1)) break;
            }
        } else {
            writeAll(reply.body.data(), send);
        }
        if (ssl) {
            if (!reply.cutAfter) SSL_shutdown(ssl);
            SSL_free(ssl);
        }
        ::close(fd);
    }

    int listener_ = -1;
    int stop_ = -1;
    int port_ = 0;
    SSL_CTX *ctx_ = nullptr;
    std::string caFile_;
    mutable std::mutex mutex_;
    std::map<std::string, HttpReply> replies_;
    int requests_ = 0;
    std::thread thread_;
};

// A port on 127.0.0.1 that accepts connections (the kernel completes them)
// but never answers.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(fd_, 8);
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&addr), &len);
        port_ = ntohs(addr.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace orvex::test
