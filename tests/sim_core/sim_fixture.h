// One zelvane-sim per test binary (a gtest Environment); each test starts from the
// scenario with an empty log.
#pragma once

#include <gtest/gtest.h>

#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"

namespace zv::sim::test {

CSimProcess& Sim();

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // The log entries of one service, in order.
  Json::Value LogOf(const std::string& service);

  CSimClient client{Sim()};
};

}  // namespace zv::sim::test
