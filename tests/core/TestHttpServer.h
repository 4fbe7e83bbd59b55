// A small HTTP server for tests: 127.0.0.1 on a free port, canned answers by path,
// one thread per connection so a slow answer does not hold up the next request.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TCannedResponse {
  std::string head;                // status line and headers, each ending in CR LF
  std::vector<std::string> parts;  // the body as sent, piece by piece
  int pauseMs = 0;                 // wait before each piece

  static TCannedResponse WithLength(const std::string& body, int pauseMs = 0, size_t pieces = 1) {
    TCannedResponse r;
    r.head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    r.parts = Split(body, pieces);
    r.pauseMs = pauseMs;
    return r;
  }
  static TCannedResponse Chunked(const std::string& body, int pauseMs = 0, size_t pieces = 1) {
    TCannedResponse r;
    r.head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nTransfer-Encoding: chunked\r\n";
    for (const std::string& piece : Split(body, pieces)) {
      char size[32];
      std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
      r.parts.push_back(size + piece + "\r\n");
    }
    r.parts.push_back("0\r\n\r\n");
    r.pauseMs = pauseMs;
    return r;
  }
  static TCannedResponse Redirect(const std::string& location, int status = 302) {
    TCannedResponse r;
    r.head = "HTTP/1.1 " + std::to_string(status) + " Found\r\nLocation: " + location + "\r\nContent-Length: 9\r\n";
    r.parts = {"Moved on."};
    return r;
  }
  static TCannedResponse Status(int status) {
    TCannedResponse r;
    r.head = "HTTP/1.1 " + std::to_string(status) + " Error\r\nContent-Length: 5\r\n";
    r.parts = {"Error"};
    return r;
  }
  // body cut into `pieces` nearly equal parts
  static std::vector<std::string> Split(const std::string& body, size_t pieces) {
    std::vector<std::string> parts;
    const size_t step = pieces <= 1 ? body.size() : (body.size() + pieces - 1) / pieces;
    for (size_t at = 0; at < body.size(); at += step) parts.push_back(body.substr(at, step));
    if (parts.empty()) parts.push_back("");
    return parts;
  }
};

class TTestHttpServer {
 public:
  struct TRequest {
    std::string path;
    std::string userAgent;
  };

  TTestHttpServer() {
    FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (FListen < 0 || ::bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(FListen, 16) != 0 || ::getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      std::perror("test HTTP server");
      std::abort();
    }
    FPort = ntohs(addr.sin_port);
    FAcceptThread = std::thread([this] { AcceptLoop(); });
  }

  ~TTestHttpServer() {
    FStop = true;
    FAcceptThread.join();
    ::close(FListen);
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> guard(FLock);
      threads.swap(FConnections);
    }
    for (std::thread& t : threads) t.join();
  }

  TTestHttpServer(const TTestHttpServer&) = delete;
  TTestHttpServer& operator=(const TTestHttpServer&) = delete;

  int Port() const { return FPort; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(FPort); }

  void Serve(const std::string& path, const TCannedResponse& response) {
    std::lock_guard<std::mutex> guard(FLock);
    FResponses[path] = response;
  }

  std::vector<TRequest> Requests() {
    std::lock_guard<std::mutex> guard(FLock);
    return FRequests;
  }
  std::vector<std::string> RequestedPaths() {
    std::vector<std::string> paths;
    for (const TRequest& r : Requests()) paths.push_back(r.path);
    return paths;
  }

 private:
  void AcceptLoop() {
    while (!FStop) {
      pollfd p{FListen, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::lock_guard<std::mutex> guard(FLock);
      FConnections.emplace_back([this, fd] { Handle(fd); });
    }
  }

  static std::string Header(const std::string& request, const std::string& name) {
    const size_t at = request.find("\r\n" + name + ":");
    if (at == std::string::npos) return "";
    const size_t start = request.find_first_not_of(' ', at + name.size() + 3);
    return request.substr(start, request.find("\r\n", start) - start);
  }

  bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }

  void Handle(int fd) {
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && !FStop) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, static_cast<size_t>(n));
    }
    const size_t pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    TCannedResponse response = TCannedResponse::Status(404);
    {
      std::lock_guard<std::mutex> guard(FLock);
      FRequests.push_back({path, Header(request, "User-Agent")});
      if (FResponses.count(path)) response = FResponses[path];
    }
    bool open = SendAll(fd, response.head + "Connection: close\r\n\r\n");
    for (const std::string& part : response.parts) {
      for (int waited = 0; open && waited < response.pauseMs && !FStop; waited += 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      if (!open || FStop) break;
      open = SendAll(fd, part);
    }
    ::close(fd);
  }

  int FListen = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::thread FAcceptThread;
  std::mutex FLock;
  std::map<std::string, TCannedResponse> FResponses;
  std::vector<TRequest> FRequests;
  std::vector<std::thread> FConnections;
};
