#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "aspi/linux/linux_aspi_layer.h"
#include "drive/request_block.h"
#include "fake_sg_executor.h"
#include "fake_sysfs.h"

namespace drvflash::testing {

// The Linux layer over a fake sysfs tree and a fake SG_IO, installed as the active layer.
class LinuxLayerFixture : public ::testing::Test {
 protected:
  void StartLayer() {
    auto fake = std::make_unique<FakeSgExecutor>();
    executor = fake.get();
    layer = std::make_unique<linux_sg::LinuxAspiLayer>(sysfs.Roots(), std::move(fake));
    SetActiveAspiLayer(layer.get());
  }
  void TearDown() override {
    SetActiveAspiLayer(nullptr);
    if (executor != nullptr) {
      executor->Release();
    }
    layer.reset();
  }

  // One request cycle through g_srb, as the drive's commands run it.
  static DriveOutcome Send(BYTE ha, BYTE target, std::vector<BYTE> cdb, BYTE flags = 0,
                           BYTE* buffer = nullptr, DWORD length = 0,
                           Milliseconds timeout = Milliseconds{10000}) {
    RequestFields fields;
    fields.haId = ha;
    fields.targetId = target;
    fields.flags = static_cast<BYTE>(SRB_EVENT_NOTIFY | flags);
    fields.buffer = buffer;
    fields.bufferLength = length;
    std::copy(cdb.begin(), cdb.end(), fields.cdb.begin());
    fields.cdbLength = static_cast<BYTE>(cdb.size());
    return ExecuteRequest(fields, timeout);
  }
  static DriveOutcome TestUnitReadyAt(BYTE ha, BYTE target) {
    return Send(ha, target, {0, 0, 0, 0, 0, 0});
  }

  std::string Node(const std::string& name) const { return (sysfs.Roots().dev / name).string(); }

  FakeSysfs sysfs;
  FakeSgExecutor* executor = nullptr;
  std::unique_ptr<linux_sg::LinuxAspiLayer> layer;
};

}  // namespace drvflash::testing
