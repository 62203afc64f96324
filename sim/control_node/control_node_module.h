// zelvane-sim's control node: the module the sim core starts when this library is built.
#pragma once

#include <memory>

#include "sim/sim_module.h"

std::unique_ptr<zv::sim::ISimModule> CreateControlNodeModule();
