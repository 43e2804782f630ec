#pragma once

#include <gtest/gtest.h>

#include "aspi/aspi_layer.h"
#include "drive/transfer_buffers.h"
#include "platform/virtual_clock.h"
#include "scripted_aspi_layer.h"

namespace drvflash::testing {

// The drive-access globals over a scripted layer on virtual time.
class DriveFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetActiveClock(&clock);
    SetActiveAspiLayer(&layer);
    AllocateTransferBuffers();
  }
  void TearDown() override {
    FreeTransferBuffers();
    SetActiveAspiLayer(nullptr);
    SetActiveClock(nullptr);
  }

  VirtualClock clock;
  ScriptedAspiLayer layer;
};

}  // namespace drvflash::testing
