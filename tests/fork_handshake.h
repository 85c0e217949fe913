// A hand-shake between a test and the child process it forks: each side
// blocks until the other has reached its point, with no marker files and no
// time limit. A side that ends without signalling is seen as end of file, so
// the waiting side never hangs on a child that died.
#pragma once

#include <cerrno>
#include <unistd.h>

class ForkHandshake {
 public:
  ForkHandshake() { ok_ = pipe(toParent_) == 0 && pipe(toChild_) == 0; }
  ~ForkHandshake() {
    for (int* fd : {&toParent_[0], &toParent_[1], &toChild_[0], &toChild_[1]}) Close(*fd);
  }
  ForkHandshake(const ForkHandshake&) = delete;
  ForkHandshake& operator=(const ForkHandshake&) = delete;

  bool Ok() const { return ok_; }
  // Right after fork, on each side: drop the other side's ends.
  void InParent() {
    Close(toParent_[1]);
    Close(toChild_[0]);
  }
  void InChild() {
    Close(toParent_[0]);
    Close(toChild_[1]);
  }
  void SignalParent() { Signal(toParent_[1]); }
  void SignalChild() { Signal(toChild_[1]); }
  // False when the other side ended without signalling.
  bool WaitForChild() { return Wait(toParent_[0]); }
  bool WaitForParent() { return Wait(toChild_[0]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  static void Signal(int fd) {
    const char c = 1;
    while (write(fd, &c, 1) < 0 && errno == EINTR) {
    }
  }
  static bool Wait(int fd) {
    char c = 0;
    ssize_t n;
    do n = read(fd, &c, 1);
    while (n < 0 && errno == EINTR);
    return n == 1;
  }

  bool ok_ = false;
  int toParent_[2] = {-1, -1};
  int toChild_[2] = {-1, -1};
};
