#pragma once

#include <signal.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "aspi/linux/sg_executor.h"

namespace drvflash::testing {

// Stands in for ioctl(SG_IO): records each command and answers as the test says.
class FakeSgExecutor final : public linux_sg::SgExecutor {
 public:
  struct Call {
    std::filesystem::path node;
    std::vector<std::uint8_t> cdb;
    linux_sg::SgDirection direction;
    const std::uint8_t* data;  // the buffer the command used
    std::vector<std::uint8_t> dataOut;
    bool interruptBlocked;  // whether SIGINT was blocked on the executing thread
  };
  // Fills the data of a FromDevice command and returns the result.
  using Responder = std::function<linux_sg::SgResult(const linux_sg::SgCommand&)>;

  void SetResponder(Responder responder) {
    std::lock_guard guard(mutex_);
    responder_ = std::move(responder);
  }
  void SetOpenError(const std::filesystem::path& node, int error) {
    std::lock_guard guard(mutex_);
    openErrors_[node] = error;
  }
  // While held, commands wait inside Execute, as a command the drive has not answered yet.
  void Hold() {
    std::lock_guard guard(mutex_);
    held_ = true;
  }
  void Release() {
    {
      std::lock_guard guard(mutex_);
      held_ = false;
      heldNodes_.clear();
    }
    changed_.notify_all();
  }
  // Holds the commands to one node only.
  void HoldNode(const std::filesystem::path& node) {
    std::lock_guard guard(mutex_);
    heldNodes_.insert(node);
  }
  // Waits until `count` commands have reached Execute.
  void WaitForCalls(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return calls_.size() >= count; });
  }
  std::vector<Call> Calls() const {
    std::lock_guard guard(mutex_);
    return calls_;
  }

  linux_sg::SgResult Execute(const linux_sg::SgCommand& command) override {
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    std::unique_lock lock(mutex_);
    Call call{command.node,
              {command.cdb.begin(), command.cdb.end()},
              command.direction,
              command.data.data(),
              {},
              sigismember(&mask, SIGINT) == 1};
    if (command.direction == linux_sg::SgDirection::ToDevice) {
      call.dataOut.assign(command.data.begin(), command.data.end());
    }
    calls_.push_back(std::move(call));
    changed_.notify_all();
    changed_.wait(lock, [&] { return !held_ && !heldNodes_.contains(command.node); });
    if (const auto it = openErrors_.find(command.node); it != openErrors_.end()) {
      linux_sg::SgResult failed;
      failed.osError = it->second;
      return failed;
    }
    return responder_ ? responder_(command) : linux_sg::SgResult{};
  }

  int TryOpen(const std::filesystem::path& node) override {
    std::lock_guard guard(mutex_);
    const auto it = openErrors_.find(node);
    return it != openErrors_.end() ? it->second : 0;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Responder responder_;
  std::map<std::filesystem::path, int> openErrors_;
  std::vector<Call> calls_;
  bool held_ = false;
  std::set<std::filesystem::path> heldNodes_;
};

}  // namespace drvflash::testing
