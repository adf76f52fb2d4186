#pragma once
// Shared pieces of the update tests: file:// addresses for scratch files, and a one-shot HTTP server on the
// loopback address that answers a single request with a fixed status and body.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <filesystem>
#include <string>
#include <thread>

namespace updatetest {

inline std::wstring FileUrl(const std::filesystem::path& file) {
    std::wstring url = L"file:///" + file.wstring();
    for (wchar_t& c : url)
        if (c == L'\\')
            c = L'/';
    return url;
}

class OneShotHttpServer {
public:
    OneShotHttpServer(std::string statusLine, std::string body)
        : statusLine_(std::move(statusLine)), body_(std::move(body)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        listen(listener_, 1);
        thread_ = std::thread([this] { Serve(); });
    }
    ~OneShotHttpServer() {
        closesocket(listener_); // ends a pending accept when no request came
        thread_.join();
        WSACleanup();
    }
    OneShotHttpServer(const OneShotHttpServer&) = delete;
    OneShotHttpServer& operator=(const OneShotHttpServer&) = delete;

    std::wstring Url(const std::wstring& path) const { return L"http://127.0.0.1:" + std::to_wstring(port_) + path; }

private:
    void Serve() {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<size_t>(got));
        }
        const std::string reply = statusLine_ +
                                  "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body_.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body_;
        send(client, reply.data(), static_cast<int>(reply.size()), 0);
        shutdown(client, SD_SEND);
        while (recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        closesocket(client);
    }

    std::string statusLine_;
    std::string body_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
};

} // namespace updatetest
